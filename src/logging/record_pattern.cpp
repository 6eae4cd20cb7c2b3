#include "logging/record_pattern.hpp"

#include <array>
#include <initializer_list>

#include "link/measurands.hpp"
#include "logging/measurand_presence.hpp"

namespace helvanta {

int RowPlaceholderAt(std::string_view text, std::size_t& length) {
  if (text.size() < 3 || text[0] != '%' || text[1] < '1' || text[1] > '9') return -1;
  int number = text[1] - '0';
  std::size_t end = 2;
  if (text[end] >= '0' && text[end] <= '9') {
    number = number * 10 + (text[end] - '0');
    ++end;
  }
  if (end >= text.size() || text[end] != '%' || number > kDisplayRowCount) return -1;
  length = end + 1;
  return number - 1;
}

// A time pattern of the fields with the separator between them, never read as a field.
std::string FieldsJoined(std::initializer_list<std::string_view> fields, char separator) {
  std::string pattern;
  for (const std::string_view field : fields) {
    if (!pattern.empty()) {
      if (separator == '%') pattern += '%';
      pattern += separator;
    }
    pattern += field;
  }
  return pattern;
}

void AppendRightAligned(std::string& out, std::string_view text) {
  if (text.size() < kLogFieldWidth) out.append(kLogFieldWidth - text.size(), ' ');
  out.append(text);
}

std::string FillRecordPattern(std::string_view pattern, const DateTime& now, const DateTimeSeparators& separators) {
  const std::string date = FormatTime(now, FieldsJoined({"%M", "%D", "%Y"}, separators.date));
  const std::string time = FormatTime(now, FieldsJoined({"%h", "%m", "%s"}, separators.time));

  // The value of each shown row; the first entry of the table with that row counts.
  std::array<std::string_view, kDisplayRowCount> rowValues{};
  std::array<bool, kDisplayRowCount> rowTaken{};
  for (int i = 0; i < kMeasurandCount; ++i) {
    const TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
    const int row = DisplayRow(m.Descriptor);
    if (row >= 0 && row < kDisplayRowCount && !rowTaken[static_cast<std::size_t>(row)]) {
      rowValues[static_cast<std::size_t>(row)] = LoggedValue(m);
      rowTaken[static_cast<std::size_t>(row)] = true;
    }
  }

  // One pass from left to right: an inserted text is never searched for placeholders,
  // so a value received from the line cannot expand into another one.
  std::string text;
  text.reserve(pattern.size() + 16 * kLogFieldWidth);
  std::size_t from = 0;
  for (std::size_t pos = pattern.find('%'); pos != std::string_view::npos; pos = pattern.find('%', pos)) {
    const std::string_view rest = pattern.substr(pos);
    std::size_t length = 0;
    std::string_view with;
    bool fromLine = false;
    if (rest.starts_with(kDatePlaceholder)) {
      with = date.data();
      length = kDatePlaceholder.size();
    } else if (rest.starts_with(kTimePlaceholder)) {
      with = time.data();
      length = kTimePlaceholder.size();
    } else if (const int row = RowPlaceholderAt(rest, length); row >= 0 && rowTaken[static_cast<std::size_t>(row)]) {
      with = rowValues[static_cast<std::size_t>(row)];
      fromLine = true;
    } else {
      ++pos;
      continue;
    }
    text.append(pattern, from, pos - from);
    const std::size_t start = text.size();
    AppendRightAligned(text, with);
    // A value from the line never carries a control character into the file: a CR or
    // LF would split the record.
    if (fromLine) {
      for (std::size_t i = start; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F) text[i] = '?';
      }
    }
    pos += length;
    from = pos;
  }
  text.append(pattern, from, std::string_view::npos);
  return text;
}

}  // namespace helvanta
