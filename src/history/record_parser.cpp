#include "history/record_parser.hpp"

#include <array>
#include <optional>

#include "history/history_reader.hpp"
#include "history/history_values.hpp"
#include "logging/record_pattern.hpp"

namespace helvanta {

namespace {

bool Digits(std::string_view text, std::size_t from, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// Three numbers of the given widths joined by one separator character, the same twice;
// the separator is the locale's, which may have been another when the file was written.
bool Triple(std::string_view text, const int (&widths)[3], int (&values)[3]) {
  const std::size_t size = static_cast<std::size_t>(widths[0] + widths[1] + widths[2] + 2);
  if (text.size() != size) return false;
  const char separator = text[static_cast<std::size_t>(widths[0])];
  if ((separator >= '0' && separator <= '9') ||
      text[static_cast<std::size_t>(widths[0] + 1 + widths[1])] != separator) {
    return false;
  }
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (!Digits(text, pos, static_cast<std::size_t>(widths[i]), values[i])) return false;
    pos += static_cast<std::size_t>(widths[i]) + 1;
  }
  return true;
}

// The text of a field: padded on the left to the field width, never cut.
std::optional<std::string_view> FieldText(std::string_view field) {
  if (field.size() < kLogFieldWidth) return std::nullopt;
  const std::size_t start = field.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  // Padding only ever fills the field up to its width.
  if (field.size() > kLogFieldWidth && start > 0) return std::nullopt;
  return field.substr(start);
}

// Whether text is the value the row holds already (as SetRowValue would have put it).
bool SameRowValue(const THistoryRow& row, int displayRow, std::string_view text) {
  const auto r = static_cast<std::size_t>(displayRow);
  if (IsRegisterRow(displayRow)) return row.texts[r] == text;
  return ParseHundredths(text) == row.hundredths[r];
}

}  // namespace

TRecordParser::TRecordParser(std::string_view pattern) {
  std::size_t from = 0;
  const auto literalUpTo = [&](std::size_t pos) {
    if (pos > from) tokens_.push_back({Kind::kLiteral, std::string(pattern.substr(from, pos - from)), -1});
  };
  for (std::size_t pos = pattern.find('%'); pos != std::string_view::npos; pos = pattern.find('%', pos)) {
    const std::string_view rest = pattern.substr(pos);
    std::size_t length = 0;
    Token token;
    if (rest.starts_with(kDatePlaceholder)) {
      token.kind = Kind::kDate;
      length = kDatePlaceholder.size();
    } else if (rest.starts_with(kTimePlaceholder)) {
      token.kind = Kind::kTime;
      length = kTimePlaceholder.size();
    } else if (const int row = RowPlaceholderAt(rest, length); row >= 0) {
      token.kind = Kind::kRow;
      token.row = row;
    } else {
      ++pos;
      continue;
    }
    literalUpTo(pos);
    tokens_.push_back(token);
    pos += length;
    from = pos;
  }
  literalUpTo(pattern.size());
  bool date = false;
  bool time = false;
  for (const Token& token : tokens_) {
    date = date || token.kind == Kind::kDate;
    time = time || token.kind == Kind::kTime;
  }
  dated_ = date && time;
}

bool TRecordParser::Dated() const { return dated_; }

bool TRecordParser::Parse(std::string_view line, THistoryRow& row) const {
  if (!dated_) return false;
  std::optional<std::int64_t> day;
  std::optional<int> minuteOfDay;
  std::array<bool, kDisplayRowCount> seen{};
  std::size_t pos = 0;
  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    const Token& token = tokens_[t];
    if (token.kind == Kind::kLiteral) {
      if (line.substr(pos).substr(0, token.literal.size()) != token.literal) return false;
      pos += token.literal.size();
      continue;
    }
    // A field runs to the next fixed text (values never hold it), to the end of the
    // line, or, right before another field, over exactly the field width.
    std::size_t end = line.size();
    if (t + 1 < tokens_.size()) {
      const Token& next = tokens_[t + 1];
      if (next.kind == Kind::kLiteral) {
        end = line.find(next.literal, pos + kLogFieldWidth);
        if (end == std::string_view::npos) return false;
      } else {
        end = pos + kLogFieldWidth;
      }
    }
    if (end > line.size() || end < pos) return false;
    const std::optional<std::string_view> text = FieldText(line.substr(pos, end - pos));
    pos = end;
    if (!text) return false;
    int v[3] = {};
    if (token.kind == Kind::kDate) {
      if (!Triple(*text, {2, 2, 4}, v) || !IsCivilDate(v[2], v[0], v[1])) return false;
      const std::int64_t d = DaysFromCivil(v[2], v[0], v[1]);
      if (day && *day != d) return false;
      day = d;
    } else if (token.kind == Kind::kTime) {
      if (!Triple(*text, {2, 2, 2}, v) || v[0] > 23 || v[1] > 59 || v[2] > 59) return false;
      const int m = v[0] * 60 + v[1];
      if (minuteOfDay && *minuteOfDay != m) return false;
      minuteOfDay = m;
    } else {
      const auto r = static_cast<std::size_t>(token.row);
      if (!seen[r]) {
        if (!SetRowValue(row, token.row, *text)) return false;
        seen[r] = true;
      } else if (!SameRowValue(row, token.row, *text)) {
        // A row written twice must say the same both times.
        return false;
      }
    }
  }
  if (pos != line.size()) return false;
  row.utcMinute = *day * 1440 + *minuteOfDay;
  row.offsetMinutes = 0;
  return true;
}

}  // namespace helvanta
