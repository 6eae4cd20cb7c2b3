#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "link/measurands.hpp"
#include "runtime/clock.hpp"
#include "year/sent_values.hpp"

namespace helvanta {
class THistoryReader;
}

namespace helvanta::year {

// What the history may hold for one mark: the values sent within the presence window
// before the tick of the mark, for each row.
struct TMarkValues {
  std::int64_t utcMinute = 0;
  bool recorded = false;  // the day's CSV file holds a record of the mark
  std::vector<std::int64_t> values;
  std::array<std::uint32_t, kDisplayRowCount + 1> rowStart{};  // row r: values[rowStart[r], rowStart[r+1])

  TMarkValues(const ClockReading& mark, bool recorded, const TSentValues& sent, std::int64_t atMs);
  bool Allows(int row, std::int64_t value) const;
};

struct THistoryFigures {
  std::uint64_t rows = 0;
  std::uint64_t valuesChecked = 0;
  std::uint64_t valuesNeverSent = 0;
  std::uint64_t valuesMissing = 0;
  std::uint64_t rowsWithoutMark = 0;
  std::uint64_t recordedWithoutRow = 0;
  // Marks of a minute that the clock, set back, showed twice: one row keeps the minute.
  std::uint64_t repeatedKeptOnce = 0;
};

// The marks of each local day, until that day's history rows are checked.
using TDayMarks = std::map<std::int64_t, std::vector<TMarkValues>>;  // by days since 1970

// Reads the history rows of one local day and checks each against the marks of that day:
// its minute must be a mark's, every value one sent before that mark; every recorded
// mark must have its row.
void CheckHistoryDay(THistoryReader& reader, std::int64_t day, const std::vector<TMarkValues>& marks,
                     THistoryFigures& figures);

}  // namespace helvanta::year
