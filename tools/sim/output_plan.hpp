#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/faults.hpp"

namespace helvanta::sim {

// A byte on the line at 1200 bit/s with start bit, 8 data bits, even parity and stop bit.
inline constexpr std::int64_t ByteMicros(std::int64_t bytes) { return bytes * 11 * 1'000'000 / 1200; }

struct TimedPiece {
  std::int64_t dueMicros = 0;
  std::string bytes;
};

struct OutputPlan {
  std::vector<TimedPiece> pieces;
  std::int64_t endMicros = 0;  // when the line is free for the next answer
};

// When each part of an answer goes out: paced, byte by byte at the line rate, or in
// one write; cut at the split points, each later chunk after its pause.
OutputPlan PlanOutput(const std::string& bytes, std::int64_t startMicros, bool paced,
                      const std::vector<SplitPoint>& splits);

}  // namespace helvanta::sim
