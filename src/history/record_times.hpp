#pragma once

#include <span>

#include "history/history_row.hpp"

namespace helvanta {

class Clock;

// Gives the rows of one daily CSV file, in the file's order and with the local times the
// records carry (offset 0, as TRecordParser leaves them), their UTC minute and the
// offset of the clock's time zone. A time of the hour repeated when summer time ends is
// of the second hour when it goes back against the line before it, else of the first.
void PlaceInTimeZone(std::span<THistoryRow> rows, const Clock& clock);

}  // namespace helvanta
