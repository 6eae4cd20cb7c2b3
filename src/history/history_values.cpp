#include "history/history_values.hpp"

#include "logging/measurand_presence.hpp"

namespace helvanta {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Enough for any 32-bit value in hundredths, far from overflowing 64 bits.
constexpr std::size_t kMaxIntegerDigits = 15;
constexpr std::size_t kMaxDecimals = 2;
constexpr std::size_t kMaxRegisterDigits = 8;
constexpr std::int64_t kMsPerMinute = 60'000;

}  // namespace

bool IsRegisterRow(int displayRow) { return RowUnit(displayRow) == "hex"; }

std::optional<std::int64_t> ParseHundredths(std::string_view text) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  std::size_t pos = 0;
  std::int64_t value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    // Refused before it could overflow.
    if (pos == kMaxIntegerDigits) return std::nullopt;
    value = value * 10 + (text[pos++] - '0');
  }
  if (pos == 0) return std::nullopt;
  std::size_t decimals = 0;
  // Minutes and seconds come as "mm:ss", the other values with a decimal point.
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ':')) {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos]) && decimals < kMaxDecimals) {
      value = value * 10 + (text[pos++] - '0');
      ++decimals;
    }
    if (decimals == 0) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  for (; decimals < kMaxDecimals; ++decimals) value *= 10;
  return negative ? -value : value;
}

bool IsRegisterText(std::string_view text) {
  if (text.empty() || text.size() > kMaxRegisterDigits) return false;
  for (const char c : text) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

bool SetRowValue(THistoryRow& row, int displayRow, std::string_view text) {
  const auto r = static_cast<std::size_t>(displayRow);
  if (IsRegisterRow(displayRow)) {
    if (!IsRegisterText(text)) return false;
    row.texts[r] = std::string(text);
    return true;
  }
  const std::optional<std::int64_t> value = ParseHundredths(text);
  if (!value) return false;
  row.hundredths[r] = value;
  return true;
}

THistoryRow RowFromMeasurands(const ClockReading& mark) {
  THistoryRow row;
  row.utcMinute = mark.utcMs >= 0 ? mark.utcMs / kMsPerMinute : (mark.utcMs - kMsPerMinute + 1) / kMsPerMinute;
  row.offsetMinutes = mark.offsetMinutes;
  for (int displayRow = 0; displayRow < kDisplayRowCount; ++displayRow) {
    const int index = IndexOfRow(displayRow);
    if (index < 0) continue;
    // A value the decoder could not have made stays unknown rather than half read.
    SetRowValue(row, displayRow, LoggedValue(Measurands[static_cast<std::size_t>(index)]));
  }
  return row;
}

}  // namespace helvanta
