#include <windows.h>

#include "runtime/clock.hpp"

namespace helvanta {

namespace {

// FILETIME counts 100 ns steps from 1601-01-01; the program counts milliseconds from 1970.
constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

std::int64_t Hundreds(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME FileTimeOf(std::int64_t hundreds) {
  const auto value = static_cast<std::uint64_t>(hundreds);
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// The offset of the zone's local time at a UTC instant, with the rules of that instant's
// year, so that records around a change to or from summer time get the right hour.
int OffsetAt(const FILETIME& utc) {
  SYSTEMTIME utcParts{};
  TIME_ZONE_INFORMATION zone{};
  SYSTEMTIME localParts{};
  FILETIME local{};
  if (!FileTimeToSystemTime(&utc, &utcParts) || !GetTimeZoneInformationForYear(utcParts.wYear, nullptr, &zone) ||
      !SystemTimeToTzSpecificLocalTime(&zone, &utcParts, &localParts) || !SystemTimeToFileTime(&localParts, &local)) {
    return 0;
  }
  return static_cast<int>((Hundreds(local) - Hundreds(utc)) / 600'000'000LL);
}

}  // namespace

ClockReading SystemClock::Read() const {
  FILETIME wall{};
  GetSystemTimePreciseAsFileTime(&wall);
  // The tick count goes on through a suspend, so a value read before it is old after it.
  const auto elapsed = static_cast<std::int64_t>(GetTickCount64());
  return {(Hundreds(wall) - kUnixEpochIn100ns) / 10'000, OffsetAt(wall), elapsed};
}

int SystemClock::OffsetMinutesAt(std::int64_t utcMs) const {
  return OffsetAt(FileTimeOf(utcMs * 10'000 + kUnixEpochIn100ns));
}

}  // namespace helvanta
