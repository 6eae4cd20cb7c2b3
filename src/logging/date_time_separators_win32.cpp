#include <windows.h>

#include "logging/date_time_separators.hpp"

namespace helvanta {

namespace {

std::optional<DateTimeSeparators> gFixedSeparators;

// The user's separator of that kind; one that is not a single plain character cannot be
// a CSV field's separator of date parts, so the default stays then.
char UserSeparator(LCTYPE kind, char fallback) {
  wchar_t text[8] = {};
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, kind, text, static_cast<int>(std::size(text)));
  if (n != 2 || text[0] < 0x20 || text[0] > 0x7E) return fallback;
  return static_cast<char>(text[0]);
}

}  // namespace

DateTimeSeparators CurrentDateTimeSeparators() {
  if (gFixedSeparators) return *gFixedSeparators;
  // Read at every record, so a change in the regional settings counts at once.
  const DateTimeSeparators defaults;
  return {UserSeparator(LOCALE_SDATE, defaults.date), UserSeparator(LOCALE_STIME, defaults.time)};
}

void SetDateTimeSeparators(std::optional<DateTimeSeparators> separators) { gFixedSeparators = separators; }

}  // namespace helvanta
