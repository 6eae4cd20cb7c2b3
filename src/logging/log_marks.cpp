#include "logging/log_marks.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
// Ticks further apart than this (a suspended machine, a stopped port) left their marks
// unlogged for a reason of their own; only the gap between two ticks is caught up.
constexpr std::int64_t kCatchUpMs = 5'000;
// A mark due again within this time is the same mark seen twice.
constexpr std::int64_t kSameMarkMs = 30'000;

bool IsMarkMinute(std::int64_t localMinute, int interval) {
  const std::int64_t minuteOfHour = ((localMinute % 60) + 60) % 60;
  return interval < 1 ? minuteOfHour == 0 : minuteOfHour % interval == 0;
}

// The reading of the clock at the local minute's start, from a reading after it.
ClockReading AtMinute(const ClockReading& now, std::int64_t localMinute) {
  const std::int64_t back = now.LocalMs() - localMinute * kMsPerMinute;
  return {now.utcMs - back, now.offsetMinutes, now.elapsedMs - back};
}

}  // namespace

std::optional<ClockReading> TLogMarks::Due(const ClockReading& now, int interval) {
  const std::int64_t localMs = now.LocalMs();
  const std::int64_t minute = localMs >= 0 ? localMs / kMsPerMinute : (localMs - kMsPerMinute + 1) / kMsPerMinute;
  std::optional<ClockReading> mark;
  if (IsMarkMinute(minute, interval)) {
    if (localMs - minute * kMsPerMinute < 1000) {
      mark = now;
    } else if (lastTick_ && now.elapsedMs - lastTick_->elapsedMs <= kCatchUpMs &&
               lastTick_->LocalMs() < minute * kMsPerMinute) {
      mark = AtMinute(now, minute);
    }
  }
  lastTick_ = now;
  if (!mark) return std::nullopt;
  if (lastMark_ && lastMark_->LocalMs() / kMsPerMinute == mark->LocalMs() / kMsPerMinute &&
      mark->elapsedMs - lastMark_->elapsedMs < kSameMarkMs) {
    return std::nullopt;
  }
  lastMark_ = mark;
  return mark;
}

}  // namespace helvanta
