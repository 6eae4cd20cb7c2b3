#pragma once

#include <string>
#include <string_view>

#include "logging/date_time_separators.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {

// Every replacement is right-aligned in this many characters and never cut.
inline constexpr std::size_t kLogFieldWidth = 12;

inline constexpr std::string_view kDatePlaceholder = "%date%";
inline constexpr std::string_view kTimePlaceholder = "%time%";

// Fills the record pattern: "%date%" (mm/dd/yyyy), "%time%" (hh:nn:ss) and, for each
// shown measurand, the placeholder "%<row + 1>%" with its logged value (a control
// character in it written as "?").
std::string FillRecordPattern(std::string_view pattern, const DateTime& now, const DateTimeSeparators& separators);

// The display row named by a placeholder "%<row + 1>%" at the start of text (a number
// 1..32 written without leading zeros), or -1; length receives the placeholder's size.
int RowPlaceholderAt(std::string_view text, std::size_t& length);

// Appends text, padded on the left with spaces to the field width.
void AppendRightAligned(std::string& out, std::string_view text);

}  // namespace helvanta
