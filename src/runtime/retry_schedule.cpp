#include "runtime/retry_schedule.hpp"

#include <algorithm>
#include <array>

namespace helvanta {

namespace {

constexpr std::array<std::int64_t, 5> kGapsMs{5'000, 10'000, 20'000, 40'000, 60'000};

}  // namespace

FailureReport RetrySchedule::Failed(std::int64_t nowMs) {
  const std::size_t step = std::min(failures_, kGapsMs.size() - 1);
  nextAttemptMs_ = nowMs + kGapsMs[step];
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

bool RetrySchedule::Succeeded() {
  const bool recovered = failures_ > 0;
  failures_ = 0;
  return recovered;
}

bool RetrySchedule::Due(std::int64_t nowMs) const {
  return failures_ == 0 || nowMs >= nextAttemptMs_ || nowMs < lastFailureMs_;
}

}  // namespace helvanta
