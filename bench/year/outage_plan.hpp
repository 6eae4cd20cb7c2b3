#pragma once

#include <cstdint>
#include <vector>

namespace helvanta::year {

// A time (elapsed milliseconds) in which the line is hung up, or open but unanswered.
struct TOutage {
  std::int64_t startMs = 0;
  std::int64_t endMs = 0;
  bool hangUp = false;
};

struct TOutageRates {
  double hangUpsPerWeek = 0;
  double silencesPerWeek = 0;
  std::int64_t shortestMs = 0;
  std::int64_t longestMs = 0;
};

// Outages at random times between startMs and startMs + lengthMs, one after the other,
// the same for the same seed.
std::vector<TOutage> PlanOutages(const TOutageRates& rates, std::uint64_t seed, std::int64_t startMs,
                                 std::int64_t lengthMs);

}  // namespace helvanta::year
