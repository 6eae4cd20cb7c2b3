#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace helvanta {

// What a failure is worth telling: the first of a run, an hourly reminder, or nothing.
enum class FailureReport { kNone, kFirst, kReminder };

// The one policy of every part that tries again by itself (reopening a lost port, a
// broker, a database, a listening socket): the gap before the next attempt doubles from
// the first to the longest (5, 10, 20, 40 s and then 60 s at a time unless told
// otherwise), the first failure of a run is reported and after that one reminder an
// hour, and the first success after a run of failures is worth a report of its own.
// Times are milliseconds of any one clock; a clock that steps back starts the gap afresh.
class RetrySchedule {
 public:
  static constexpr std::int64_t kReminderMs = 3'600'000;

  // A success starts the gaps afresh only once it has held steadyMs (a connection that
  // drops as soon as it is made must not be tried again at the shortest gap for ever).
  explicit RetrySchedule(std::int64_t firstGapMs = 5'000, std::int64_t longestGapMs = 60'000,
                         std::int64_t steadyMs = 0);

  // A failed attempt at now.
  FailureReport Failed(std::int64_t nowMs);
  // A successful attempt at now (which matters only with a steady time); true when it
  // ended a run of failures.
  bool Succeeded(std::int64_t nowMs = 0);
  // Whether an attempt may be made at now (always, unless failing and within the gap).
  bool Due(std::int64_t nowMs) const;
  // How long from now until an attempt is due.
  std::int64_t WaitMs(std::int64_t nowMs) const { return Due(nowMs) ? 0 : nextAttemptMs_ - nowMs; }
  bool Failing() const { return failures_ > 0; }
  std::size_t Failures() const { return failures_; }

 private:
  std::int64_t firstGapMs_;
  std::int64_t longestGapMs_;
  std::int64_t steadyMs_;
  std::int64_t gapMs_;
  std::size_t failures_ = 0;
  std::int64_t nextAttemptMs_ = 0;
  std::int64_t lastFailureMs_ = 0;
  std::int64_t lastReportMs_ = 0;
  std::optional<std::int64_t> succeededAtMs_;
};

}  // namespace helvanta
