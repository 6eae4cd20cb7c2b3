#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace helvanta {

// A local wall-clock date and time, as the user reads it; no time zone attached.
struct DateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  auto operator<=>(const DateTime&) const = default;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day);

// Milliseconds since 1970-01-01 00:00:00 of the same calendar, ignoring time zones.
std::int64_t ToEpochMilliseconds(const DateTime& t);
DateTime FromEpochMilliseconds(std::int64_t ms);

// The time written by a pattern, whatever the locale: %Y the year in 4 digits, %y its
// last 2, %M month, %D day, %h hour, %m minute, %s second (2 digits each), %z the
// milliseconds in 3, %% a percent sign; every other character as it stands.
std::string FormatTime(const DateTime& t, std::string_view pattern);

// "2026-12-07 13:45:00": for messages.
std::string DateTimeText(const DateTime& t);

// "2026-12-07T13:45:00+01:00": ISO 8601 local time with the offset from UTC.
std::string IsoLocalTime(const DateTime& t, int utcOffsetMinutes);

DateTime AddMilliseconds(const DateTime& t, std::int64_t ms);
inline DateTime AddSeconds(const DateTime& t, std::int64_t s) { return AddMilliseconds(t, s * 1000); }

}  // namespace helvanta
