#include <langinfo.h>

#include "logging/date_time_separators.hpp"

namespace helvanta {

namespace {
std::optional<DateTimeSeparators> gFixedSeparators;
}  // namespace

DateTimeSeparators CurrentDateTimeSeparators() {
  if (gFixedSeparators) return *gFixedSeparators;
  // Read at every record, so a locale set after start-up counts.
  const DateTimeSeparators defaults;
  return {SeparatorOfFormat(nl_langinfo(D_FMT), defaults.date), SeparatorOfFormat(nl_langinfo(T_FMT), defaults.time)};
}

void SetDateTimeSeparators(std::optional<DateTimeSeparators> separators) { gFixedSeparators = separators; }

}  // namespace helvanta
