#include "logging/record_pattern.hpp"

#include <array>
#include <cstdio>

#include "link/measurands.hpp"

namespace helvanta {

namespace {

// Replaces every occurrence of what in text with with, right-aligned; the inserted
// text is not searched again.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  std::size_t pos = text.find(what);
  if (pos == std::string::npos) return;
  std::string result;
  result.reserve(text.size() + kLogFieldWidth);
  std::size_t from = 0;
  while (pos != std::string::npos) {
    result.append(text, from, pos - from);
    AppendRightAligned(result, with);
    from = pos + what.size();
    pos = text.find(what, from);
  }
  result.append(text, from, std::string::npos);
  text.swap(result);
}

// "%1%" .. "%32%", made once.
const std::array<std::string, kDisplayRowCount>& RowPlaceholders() {
  static const std::array<std::string, kDisplayRowCount> placeholders = [] {
    std::array<std::string, kDisplayRowCount> p;
    for (int row = 0; row < kDisplayRowCount; ++row) p[static_cast<std::size_t>(row)] = "%" + std::to_string(row + 1) + "%";
    return p;
  }();
  return placeholders;
}

}  // namespace

void AppendRightAligned(std::string& out, std::string_view text) {
  if (text.size() < kLogFieldWidth) out.append(kLogFieldWidth - text.size(), ' ');
  out.append(text);
}

std::string FillRecordPattern(std::string_view pattern, const DateTime& now, const DateTimeSeparators& separators) {
  std::string text(pattern);
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%02d%c%02d%c%04d", now.month, separators.date, now.day, separators.date,
                now.year);
  ReplaceAll(text, "%date%", buffer.data());
  std::snprintf(buffer.data(), buffer.size(), "%02d%c%02d%c%02d", now.hour, separators.time, now.minute, separators.time,
                now.second);
  ReplaceAll(text, "%time%", buffer.data());

  for (int i = 0; i < kMeasurandCount; ++i) {
    const TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
    const int row = DisplayRow(m.Descriptor);
    if (row < 0) continue;
    ReplaceAll(text, RowPlaceholders()[static_cast<std::size_t>(row)], m.Value);
  }
  return text;
}

}  // namespace helvanta
