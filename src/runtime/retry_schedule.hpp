#pragma once

#include <cstddef>
#include <cstdint>

namespace helvanta {

// What a failure is worth telling: the first of a run, an hourly reminder, or nothing.
enum class FailureReport { kNone, kFirst, kReminder };

// Paces a failing operation that is tried again by itself (reopening a lost port, a
// broker, a database): the next attempt waits 5, 10, 20, 40 s and then 60 s at a time,
// the first failure of a run is reported and after that one reminder an hour, and the
// first success after a run of failures is worth a report of its own. Times are
// milliseconds of any one clock; a clock that steps back starts the gap afresh.
class RetrySchedule {
 public:
  static constexpr std::int64_t kReminderMs = 3'600'000;

  // A failed attempt at now.
  FailureReport Failed(std::int64_t nowMs);
  // A successful attempt; true when it ended a run of failures.
  bool Succeeded();
  // Whether an attempt may be made at now (always, unless failing and within the gap).
  bool Due(std::int64_t nowMs) const;
  bool Failing() const { return failures_ > 0; }
  std::size_t Failures() const { return failures_; }

 private:
  std::size_t failures_ = 0;
  std::int64_t nextAttemptMs_ = 0;
  std::int64_t lastFailureMs_ = 0;
  std::int64_t lastReportMs_ = 0;
};

}  // namespace helvanta
