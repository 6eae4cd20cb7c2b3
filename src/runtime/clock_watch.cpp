#include "runtime/clock_watch.hpp"

namespace helvanta {

std::optional<ClockStep> TClockWatch::Note(const ClockReading& now) {
  std::optional<ClockStep> step;
  if (last_) {
    const std::int64_t expectedUtc = last_->utcMs + (now.elapsedMs - last_->elapsedMs);
    const std::int64_t moved = now.utcMs - expectedUtc;
    if (moved > kStepMs || moved < -kStepMs) {
      const ClockReading before{expectedUtc, last_->offsetMinutes, now.elapsedMs};
      step = ClockStep{before.Local(), now.Local()};
    }
  }
  last_ = now;
  return step;
}

}  // namespace helvanta
