#pragma once

#include <cstdint>
#include <optional>

#include "runtime/clock.hpp"

namespace helvanta {

// The wall clock was set: what it showed (where it would stand now without the step)
// and what it shows.
struct ClockStep {
  DateTime from;
  DateTime to;
};

// Notices, tick by tick, when the wall clock is set forward or back (by hand, by NTP
// after a boot without a clock chip): the wall clock then moves by more than the elapsed
// time. Changes to and from summer time are no steps: UTC runs on through them.
class TClockWatch {
 public:
  // Steps smaller than this are time corrections not worth an event.
  static constexpr std::int64_t kStepMs = 3'000;

  std::optional<ClockStep> Note(const ClockReading& now);

 private:
  std::optional<ClockReading> last_;
};

}  // namespace helvanta
