#pragma once

#include <cstdint>

#include "runtime/clock.hpp"

namespace helvanta {

// A reading of a clock in UTC whose elapsed time runs with the wall clock.
inline ClockReading ReadingAt(const DateTime& t) {
  const std::int64_t ms = ToEpochMilliseconds(t);
  return {ms, 0, ms};
}

// Central European time as Berlin keeps it: UTC+1, and UTC+2 from the last Sunday of
// March 01:00 UTC to the last Sunday of October 01:00 UTC.
inline int CentralEuropeanOffset(std::int64_t utcMs) {
  const int year = FromEpochMilliseconds(utcMs).year;
  const auto lastSundayOneUtc = [year](int month) {
    std::int64_t day = DaysFromCivil(year, month, 31);
    day -= ((day + 4) % 7 + 7) % 7;  // 1970-01-01 was a Thursday
    return day * 86'400'000 + 3'600'000;
  };
  return utcMs >= lastSundayOneUtc(3) && utcMs < lastSundayOneUtc(10) ? 120 : 60;
}

}  // namespace helvanta
