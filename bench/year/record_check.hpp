#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/measurands.hpp"
#include "runtime/date_time.hpp"
#include "year/sent_values.hpp"

namespace helvanta::year {

// The template of the run: a header line and a record of the date, the time and all
// 32 rows, separated by ';'. The run fixes the separators to '.' and ':'.
std::string RecordTemplate();

// One record line read back.
struct TRecord {
  DateTime time;
  std::array<std::string, kDisplayRowCount> values;
};

// Reads a record line written from RecordTemplate(); false for any other line.
bool ParseRecord(std::string_view line, TRecord& record);

// Splits new bytes of a day file into complete lines (CR LF ends each).
std::vector<std::string> CompleteLines(std::string_view bytes);

// The rows of a record whose value was not sent within the presence window before atMs.
std::vector<int> UnsentRows(const TRecord& record, const TSentValues& sent, std::int64_t atMs);

}  // namespace helvanta::year
