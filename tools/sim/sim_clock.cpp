#include "sim/sim_clock.hpp"

#include <cmath>
#include <string>

namespace helvanta::sim {

std::int64_t SteadyMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SimClock::SimClock(const DateTime& start, double speed) : start_(start), speed_(speed), steadyStart_(SteadyMicros()) {}

DateTime SimClock::Now() const { return At(SteadyMicros()); }

DateTime SimClock::At(std::int64_t steadyMicros) const {
  const double elapsedMs = static_cast<double>(steadyMicros - steadyStart_) / 1000.0 * speed_;
  return AddMilliseconds(start_, static_cast<std::int64_t>(std::floor(elapsedMs)));
}

std::string FormatTimestamp(const DateTime& t) { return FormatTime(t, "%Y-%M-%DT%h:%m:%s.%z"); }

}  // namespace helvanta::sim
