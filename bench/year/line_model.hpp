#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/date_time.hpp"
#include "sim/day_model.hpp"
#include "sim/faults.hpp"
#include "sim/random.hpp"
#include "sim/register_bank.hpp"
#include "sim/registers.hpp"
#include "sim/telegram.hpp"

namespace helvanta::year {

// The faults of the line, at the simulator's rates.
struct TLineFaults {
  sim::FaultRates rates;
  // Of the answers with junk in front, the share whose junk holds an STX, which starts
  // a false packet in the framer.
  double noiseWithStx = 0.0;
};

// An answer as it left the inverter.
struct TAnswerSent {
  int index = 0;                       // of the measurand table
  std::string word;                    // the data word as put on the line
  bool intact = true;                  // false when garbled
  std::optional<std::uint32_t> total;  // for a half of a 32-bit count: the count
};

// Bytes that reach the far end of the line at dueMs (elapsed milliseconds); the last
// piece of an answer carries the answer.
struct TLinePiece {
  std::int64_t dueMs = 0;
  std::string bytes;
  std::optional<TAnswerSent> completes;
};

struct TLineCounts {
  std::uint64_t requests = 0;
  std::uint64_t malformedRequests = 0;
  std::uint64_t answers = 0;  // put on the line, garbled ones included
  std::uint64_t dropped = 0;
  std::uint64_t garbled = 0;
  std::uint64_t late = 0;
  std::uint64_t lateChains = 0;  // late answers that followed a late answer
  std::uint64_t noisy = 0;
  std::uint64_t noisyWithStx = 0;
  std::uint64_t split = 0;
  std::uint64_t silenced = 0;  // not answered while the inverter was silent
  std::uint64_t lostInHangUps = 0;
};

// The inverter's side of the line, driven by simulated time: it reads the request
// telegrams, answers each from the simulator's day model and registers, with the
// simulator's faults, and times every byte at 1200 bit/s. A late answer is held until
// the next request has come, so that two answers arrive in one second.
class TLineModel {
 public:
  TLineModel(const TLineFaults& faults, std::uint64_t seed);

  // Bytes the service wrote at atMs; inverterTime is the inverter's own clock, which no
  // one sets when the computer's clock is set.
  void Received(std::string_view bytes, std::int64_t atMs, const DateTime& inverterTime);
  // Hands over, in order, every piece due by untilMs.
  void TakeDue(std::int64_t untilMs, const std::function<void(const TLinePiece&)>& take);
  // While silent, the inverter answers nothing.
  void SetSilent(bool silent) { silent_ = silent; }
  // The line hung up: what was on its way is lost.
  void HungUp();

  const TLineCounts& Counts() const { return counts_; }

 private:
  void Answer(const sim::ReceivedTelegram& telegram, std::int64_t atMs, const DateTime& inverterTime);
  void Schedule(std::string bytes, const TAnswerSent& answer, bool split, std::int64_t fromMs);
  std::string Noise();

  sim::DayModel day_;
  sim::RegisterMap registers_;
  sim::RegisterBank bank_;
  sim::FaultInjector faults_;
  sim::Random random_;
  double noiseWithStx_;
  sim::RequestParser parser_;

  struct Held {
    std::string bytes;
    TAnswerSent answer;
    bool split = false;
  };
  std::optional<Held> held_;
  std::deque<TLinePiece> pieces_;
  std::int64_t lineFreeMs_ = 0;
  bool silent_ = false;
  TLineCounts counts_;
};

}  // namespace helvanta::year
