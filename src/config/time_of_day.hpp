#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace helvanta {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Reads "hh:nn:ss", "h:nn:ss" or "hh:nn"; nothing for anything else or out of range.
std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text);
// "hh:nn:ss" with two digits each.
std::string FormatTimeOfDay(const TimeOfDay& t);

}  // namespace helvanta
