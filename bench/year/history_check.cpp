#include "year/history_check.hpp"

#include <algorithm>
#include <charconv>
#include <set>
#include <string_view>

#include "history/history_reader.hpp"
#include "history/history_values.hpp"

namespace helvanta::year {

namespace {

// A value as the history keeps it: hundredths, or a register's bits.
std::optional<std::int64_t> ValueOfText(int row, std::string_view text) {
  if (!IsRegisterRow(row)) return ParseHundredths(text);
  if (!IsRegisterText(text)) return std::nullopt;
  std::uint32_t bits = 0;
  std::from_chars(text.data(), text.data() + text.size(), bits, 16);
  return bits;
}

std::optional<std::int64_t> ValueOfRow(const THistoryRow& historyRow, int row) {
  const auto r = static_cast<std::size_t>(row);
  if (IsRegisterRow(row)) return historyRow.texts[r].empty() ? std::nullopt : ValueOfText(row, historyRow.texts[r]);
  return historyRow.hundredths[r];
}

}  // namespace

TMarkValues::TMarkValues(const ClockReading& mark, bool recorded, const TSentValues& sent, std::int64_t atMs)
    : utcMinute(mark.utcMs / 60'000), recorded(recorded) {
  for (int row = 0; row < kDisplayRowCount; ++row) {
    rowStart[static_cast<std::size_t>(row)] = static_cast<std::uint32_t>(values.size());
    sent.ForEachSent(IndexOfRow(row), atMs, [&](std::string_view text) {
      if (const auto value = ValueOfText(row, text)) values.push_back(*value);
    });
  }
  rowStart[kDisplayRowCount] = static_cast<std::uint32_t>(values.size());
}

bool TMarkValues::Allows(int row, std::int64_t value) const {
  const auto first = values.begin() + rowStart[static_cast<std::size_t>(row)];
  const auto last = values.begin() + rowStart[static_cast<std::size_t>(row) + 1];
  return std::find(first, last, value) != last;
}

void CheckHistoryDay(THistoryReader& reader, std::int64_t day, const std::vector<TMarkValues>& marks,
                     THistoryFigures& figures) {
  const DateTime date = FromEpochMilliseconds(day * 86'400'000);
  std::multimap<std::int64_t, const TMarkValues*> byMinute;
  for (const TMarkValues& mark : marks) byMinute.emplace(mark.utcMinute, &mark);
  std::set<std::int64_t> stored;
  for (const THistoryRow& historyRow : reader.DaySeries(date.year, date.month, date.day)) {
    ++figures.rows;
    stored.insert(historyRow.utcMinute);
    const auto [first, last] = byMinute.equal_range(historyRow.utcMinute);
    if (first == last) {
      ++figures.rowsWithoutMark;
      continue;
    }
    // A minute marked twice (the clock set back) is kept once: the values of either mark.
    std::uint64_t fewestUnsent = kDisplayRowCount;
    std::uint64_t missing = 0;
    for (auto candidate = first; candidate != last; ++candidate) {
      const TMarkValues* mark = candidate->second;
      std::uint64_t unsent = 0;
      missing = 0;
      for (int row = 0; row < kDisplayRowCount; ++row) {
        const std::optional<std::int64_t> value = ValueOfRow(historyRow, row);
        if (!value) {
          ++missing;
        } else if (!mark->Allows(row, *value)) {
          ++unsent;
        }
      }
      fewestUnsent = std::min(fewestUnsent, unsent);
    }
    figures.valuesChecked += kDisplayRowCount;
    figures.valuesNeverSent += fewestUnsent;
    figures.valuesMissing += missing;
  }
  std::set<std::int64_t> recordedOnce;
  for (const TMarkValues& mark : marks) {
    if (!mark.recorded) continue;
    if (!stored.contains(mark.utcMinute)) {
      ++figures.recordedWithoutRow;
    } else if (!recordedOnce.insert(mark.utcMinute).second) {
      ++figures.repeatedKeptOnce;
    }
  }
}

}  // namespace helvanta::year
