#include "history/record_times.hpp"

#include <optional>

#include "runtime/clock.hpp"

namespace helvanta {

void PlaceInTimeZone(std::span<THistoryRow> rows, const Clock& clock) {
  constexpr std::int64_t kMsPerMinute = 60'000;
  std::optional<std::int64_t> previous;
  for (THistoryRow& row : rows) {
    const std::int64_t local = row.LocalMinute();
    const DateTime time = MinuteTime(local);
    std::int64_t utc = clock.UtcOfLocal(time) / kMsPerMinute;
    if (previous && utc < *previous) utc = clock.UtcOfLocal(time, true) / kMsPerMinute;
    row.utcMinute = utc;
    row.offsetMinutes = static_cast<int>(local - utc);
    previous = utc;
  }
}

}  // namespace helvanta
