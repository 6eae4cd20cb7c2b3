#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/random.hpp"

namespace helvanta::sim {

struct FaultRates {
  double drop = 0.0;
  double garble = 0.0;
  double noise = 0.0;
  double late = 0.0;
  bool split = false;
};

// The faults chosen for one answer.
struct AnswerFaults {
  bool drop = false;
  bool garble = false;
  bool noise = false;
  bool late = false;
  bool split = false;

  // "none" or the faults joined by commas; a dropped answer reads "drop".
  std::string Names() const;
};

// Where an answer is cut and how long the line stays quiet before each later chunk.
struct SplitPoint {
  std::size_t offset = 0;
  std::int64_t pauseMicros = 0;
};

// Decides the faults of each answer with its own generator, so that for one seed the
// same sequence of requests meets the same faults.
class FaultInjector {
 public:
  static constexpr std::int64_t kMaxSplitPauseMicros = 250'000;
  static constexpr int kMaxNoiseBytes = 8;

  FaultInjector(const FaultRates& rates, std::uint64_t seed) : rates_(rates), random_(seed) {}

  AnswerFaults Decide();
  // Replaces one character of the four-digit word with one that is not hexadecimal.
  void Garble(std::string& wordText);
  // 1 to kMaxNoiseBytes random bytes, none of them STX.
  std::string NoiseBytes();
  // 2 to 4 chunks for an answer of `size` bytes.
  std::vector<SplitPoint> SplitPlan(std::size_t size);

 private:
  FaultRates rates_;
  Random random_;
};

}  // namespace helvanta::sim
