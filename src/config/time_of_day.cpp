#include "config/time_of_day.hpp"

#include "runtime/date_time.hpp"

namespace helvanta {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Two digits at `pos`, or -1.
int TwoDigits(std::string_view text, std::size_t pos) {
  if (pos + 2 > text.size() || !IsDigit(text[pos]) || !IsDigit(text[pos + 1])) return -1;
  return (text[pos] - '0') * 10 + (text[pos + 1] - '0');
}

}  // namespace

std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text) {
  TimeOfDay t;
  std::size_t pos = 0;
  if (text.size() == 7 && IsDigit(text[0]) && text[1] == ':') {  // h:nn:ss
    t.hour = text[0] - '0';
    pos = 2;
  } else if ((text.size() == 8 || text.size() == 5) && text[2] == ':') {  // hh:nn:ss, hh:nn
    t.hour = TwoDigits(text, 0);
    pos = 3;
  } else {
    return std::nullopt;
  }
  t.minute = TwoDigits(text, pos);
  if (text.size() > pos + 2) {
    if (text[pos + 2] != ':') return std::nullopt;
    t.second = TwoDigits(text, pos + 3);
  }
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
    return std::nullopt;
  }
  return t;
}

std::string FormatTimeOfDay(const TimeOfDay& t) {
  return FormatTime(DateTime{1970, 1, 1, t.hour, t.minute, t.second, 0}, "%h:%m:%s");
}

}  // namespace helvanta
