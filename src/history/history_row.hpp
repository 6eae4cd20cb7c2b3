#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/measurands.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {

// No time zone is further from UTC than this (UTC+14:00, UTC-12:00): a local day's rows
// lie within this many minutes of its UTC day.
inline constexpr std::int64_t kLargestOffsetMinutes = 14 * 60;

// One minute of history: the shown measurands (display rows 0..31) at one minute mark.
struct THistoryRow {
  // Minutes since 1970-01-01 00:00 UTC, so that the hour repeated when summer time ends
  // is kept beside the first one.
  std::int64_t utcMinute = 0;
  // The local offset at that minute (local time = UTC + offset), as the CSV files and
  // the charts show the time.
  int offsetMinutes = 0;
  // Numeric rows in hundredths of their unit ("230.15" V is 23015; "12:34" min:sec is
  // 1234); empty where the value is not known.
  std::array<std::optional<std::int64_t>, kDisplayRowCount> hundredths{};
  // Register rows (unit "hex"): the hexadecimal text as received; empty where unknown.
  std::array<std::string, kDisplayRowCount> texts{};

  // Minutes since 1970-01-01 00:00 of the local wall clock.
  std::int64_t LocalMinute() const { return utcMinute + offsetMinutes; }

  bool operator==(const THistoryRow&) const = default;
};

// Minutes since 1970-01-01 00:00 of a date and time (no time zone), and back.
inline std::int64_t MinuteOf(const DateTime& t) { return ToEpochMilliseconds(t) / 60'000; }
inline DateTime MinuteTime(std::int64_t minute) { return FromEpochMilliseconds(minute * 60'000); }

// The value of a numeric row in its unit; empty for a register row or an unknown value.
inline std::optional<double> RowNumber(const THistoryRow& row, int displayRow) {
  const auto& value = row.hundredths[static_cast<std::size_t>(displayRow)];
  if (!value) return std::nullopt;
  return static_cast<double>(*value) / 100.0;
}

}  // namespace helvanta
