#include "runtime/date_time.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::int64_t ToEpochMilliseconds(const DateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kMsPerDay +
         ((static_cast<std::int64_t>(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

DateTime FromEpochMilliseconds(std::int64_t ms) {
  const std::int64_t days = FloorDiv(ms, kMsPerDay);
  std::int64_t rest = ms - days * kMsPerDay;
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  DateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3'600'000);
  rest %= 3'600'000;
  t.minute = static_cast<int>(rest / 60'000);
  rest %= 60'000;
  t.second = static_cast<int>(rest / 1000);
  t.millisecond = static_cast<int>(rest % 1000);
  return t;
}

std::string FormatTime(const DateTime& t, std::string_view pattern) {
  std::string out;
  const auto number = [&out](int value, std::size_t width) {
    const std::string digits = std::to_string(value);
    if (digits.size() < width) out.append(width - digits.size(), '0');
    out += digits;
  };
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    switch (pattern[++i]) {
      case 'Y': number(t.year, 4); break;
      case 'y': number(t.year % 100, 2); break;
      case 'M': number(t.month, 2); break;
      case 'D': number(t.day, 2); break;
      case 'h': number(t.hour, 2); break;
      case 'm': number(t.minute, 2); break;
      case 's': number(t.second, 2); break;
      case 'z': number(t.millisecond, 3); break;
      default: out += pattern[i]; break;
    }
  }
  return out;
}

std::string DateTimeText(const DateTime& t) { return FormatTime(t, "%Y-%M-%D %h:%m:%s"); }

std::string IsoLocalTime(const DateTime& t, int utcOffsetMinutes) {
  const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
  const DateTime zone{1970, 1, 1, offset / 60, offset % 60, 0, 0};
  std::string text = FormatTime(t, "%Y-%M-%DT%h:%m:%s");
  text += utcOffsetMinutes < 0 ? '-' : '+';
  text += FormatTime(zone, "%h:%m");
  return text;
}

DateTime AddMilliseconds(const DateTime& t, std::int64_t ms) {
  return FromEpochMilliseconds(ToEpochMilliseconds(t) + ms);
}

}  // namespace helvanta
