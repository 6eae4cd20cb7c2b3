#pragma once

#include <chrono>
#include <cstdint>

#include "runtime/date_time.hpp"

namespace helvanta::sim {

// Microseconds on the monotonic clock; pacing and timeouts are measured with it.
std::int64_t SteadyMicros();

// The simulated wall clock: a start date-time that then runs at `speed` times real time.
class SimClock {
 public:
  SimClock(const DateTime& start, double speed);
  DateTime Now() const;
  DateTime At(std::int64_t steadyMicros) const;

 private:
  DateTime start_;
  double speed_;
  std::int64_t steadyStart_;
};

// "YYYY-MM-DDTHH:MM:SS.mmm"
std::string FormatTimestamp(const DateTime& t);

}  // namespace helvanta::sim
