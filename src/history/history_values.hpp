#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "history/history_row.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

// The display row whose value is the day's energy so far ("Work - Current day", kWh).
inline constexpr int kDayEnergyRow = 10;

// Whether a display row holds a register shown as hexadecimal text.
bool IsRegisterRow(int displayRow);

// A value text as the logger writes it ("230.15", "-3.5", "12345", "12:34") in
// hundredths; empty for anything else, so a value is never guessed.
std::optional<std::int64_t> ParseHundredths(std::string_view text);

// A register text: one to eight hexadecimal digits.
bool IsRegisterText(std::string_view text);

// Puts a value text into its row; false when the text is no value of that row.
bool SetRowValue(THistoryRow& row, int displayRow, std::string_view text);

// The row of the measurand table's logged values (shown rows only) at the minute of a mark.
THistoryRow RowFromMeasurands(const ClockReading& mark);

}  // namespace helvanta
