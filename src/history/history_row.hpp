#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/measurands.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {

// One minute of history: the shown measurands (display rows 0..31) at one minute mark.
struct THistoryRow {
  // Minutes since 1970-01-01 00:00 of the local wall clock (no time zone, as the CSV files).
  std::int64_t minute = 0;
  // Numeric rows in hundredths of their unit ("230.15" V is 23015; "12:34" min:sec is
  // 1234); empty where the value is not known.
  std::array<std::optional<std::int64_t>, kDisplayRowCount> hundredths{};
  // Register rows (unit "hex"): the hexadecimal text as received; empty where unknown.
  std::array<std::string, kDisplayRowCount> texts{};

  bool operator==(const THistoryRow&) const = default;
};

inline std::int64_t MinuteOf(const DateTime& t) { return ToEpochMilliseconds(t) / 60'000; }
inline DateTime MinuteTime(std::int64_t minute) { return FromEpochMilliseconds(minute * 60'000); }

// The value of a numeric row in its unit; empty for a register row or an unknown value.
inline std::optional<double> RowNumber(const THistoryRow& row, int displayRow) {
  const auto& value = row.hundredths[static_cast<std::size_t>(displayRow)];
  if (!value) return std::nullopt;
  return static_cast<double>(*value) / 100.0;
}

}  // namespace helvanta
