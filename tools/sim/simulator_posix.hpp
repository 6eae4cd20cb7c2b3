#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "sim/day_model.hpp"
#include "sim/faults.hpp"
#include "sim/line_posix.hpp"
#include "sim/options.hpp"
#include "sim/register_bank.hpp"
#include "sim/registers.hpp"
#include "sim/sim_clock.hpp"
#include "sim/sim_log.hpp"
#include "sim/sim_stats.hpp"
#include "sim/telegram.hpp"

namespace helvanta::sim {

// The inverter's side of the line: reads requests, answers them from the day model
// with the faults asked for, and writes the answers at their time.
class Simulator {
 public:
  enum class End { Stopped, HungUp };

  Simulator(const SimOptions& options, std::uint64_t seed, SerialLine& line, SimLog& log, const SimClock& clock);

  // Serves until `stop` is set by a signal (delivered only while waiting, with
  // `waitMask` in force) or until the answers for --hangup-after have gone out.
  End Run(const sigset_t& waitMask, const volatile std::sig_atomic_t& stop);

  const SimStats& Stats() const { return stats_; }

 private:
  struct AnswerRecord {
    std::string code;
    std::string word;
    AnswerFaults faults;
    std::optional<std::uint32_t> total;
  };
  struct QueuedPiece {
    std::int64_t dueMicros = 0;
    std::string bytes;
    std::optional<AnswerRecord> completes;
  };
  struct HeldAnswer {
    std::string bytes;
    AnswerRecord record;
  };

  void ReadLine();
  void WriteDue();
  void OnTelegram(const ReceivedTelegram& telegram);
  void Schedule(std::string bytes, const AnswerRecord& record);
  void OnAnswerSent(const AnswerRecord& record);
  void LogLine(std::string_view direction, std::string_view code, std::string_view word, std::string_view outcome,
               const std::optional<std::uint32_t>& total);
  std::optional<std::int64_t> NextWakeMicros() const;

  const SimOptions& options_;
  SerialLine& line_;
  SimLog& log_;
  const SimClock& clock_;
  DayModel model_;
  RegisterMap registers_;
  RegisterBank bank_;
  FaultInjector faults_;
  RequestParser parser_;
  SimStats stats_;

  std::deque<QueuedPiece> queue_;
  std::int64_t lineFreeMicros_ = 0;
  std::optional<HeldAnswer> held_;
  bool waitingToWrite_ = false;
  std::int64_t quietUntilMicros_ = 0;
  bool reportedHangUp_ = false;
  bool hungUp_ = false;
};

}  // namespace helvanta::sim
