#pragma once

#include <optional>
#include <string_view>

namespace helvanta {

// The characters that join the parts of a date and of a time in the log.
struct DateTimeSeparators {
  char date = '/';
  char time = ':';
};

// The separators of the user's locale (LC_TIME on Linux, the regional settings on
// Windows), or those set by SetDateTimeSeparators.
DateTimeSeparators CurrentDateTimeSeparators();

// Fixes the separators (tests, or a host that wants its own); nothing goes back to
// the locale's.
void SetDateTimeSeparators(std::optional<DateTimeSeparators> separators);

// The first character of a strftime format that is not part of a conversion, or
// fallback when there is none ("%d.%m.%Y" gives '.').
char SeparatorOfFormat(std::string_view format, char fallback);

}  // namespace helvanta
