#include "runtime/retry_schedule.hpp"

#include <algorithm>

namespace helvanta {

RetrySchedule::RetrySchedule(std::int64_t firstGapMs, std::int64_t longestGapMs, std::int64_t steadyMs)
    : firstGapMs_(firstGapMs), longestGapMs_(longestGapMs), steadyMs_(steadyMs), gapMs_(firstGapMs) {}

FailureReport RetrySchedule::Failed(std::int64_t nowMs) {
  if (succeededAtMs_ && nowMs - *succeededAtMs_ >= steadyMs_) gapMs_ = firstGapMs_;
  succeededAtMs_.reset();
  nextAttemptMs_ = nowMs + gapMs_;
  gapMs_ = std::min(gapMs_ * 2, longestGapMs_);
  lastFailureMs_ = nowMs;
  if (failures_++ == 0) {
    lastReportMs_ = nowMs;
    return FailureReport::kFirst;
  }
  if (nowMs - lastReportMs_ >= kReminderMs || nowMs < lastReportMs_) {
    lastReportMs_ = nowMs;
    return FailureReport::kReminder;
  }
  return FailureReport::kNone;
}

bool RetrySchedule::Succeeded(std::int64_t nowMs) {
  const bool recovered = failures_ > 0;
  succeededAtMs_ = nowMs;
  failures_ = 0;
  return recovered;
}

bool RetrySchedule::Due(std::int64_t nowMs) const {
  return failures_ == 0 || nowMs >= nextAttemptMs_ || nowMs < lastFailureMs_;
}

}  // namespace helvanta
