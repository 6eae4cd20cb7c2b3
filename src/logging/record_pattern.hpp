#pragma once

#include <string>
#include <string_view>

#include "logging/date_time_separators.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {

// Every replacement is right-aligned in this many characters and never cut.
inline constexpr std::size_t kLogFieldWidth = 12;

// Fills the record pattern: "%date%" (mm/dd/yyyy), "%time%" (hh:nn:ss) and, for each
// shown measurand, the placeholder "%<row + 1>%" with its logged value (a control
// character in it written as "?").
std::string FillRecordPattern(std::string_view pattern, const DateTime& now, const DateTimeSeparators& separators);

// Appends text, padded on the left with spaces to the field width.
void AppendRightAligned(std::string& out, std::string_view text);

}  // namespace helvanta
