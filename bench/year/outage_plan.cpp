#include "year/outage_plan.hpp"

#include "sim/random.hpp"

namespace helvanta::year {

namespace {

constexpr std::int64_t kWeekMs = 7 * 86'400'000LL;

}  // namespace

std::vector<TOutage> PlanOutages(const TOutageRates& rates, std::uint64_t seed, std::int64_t startMs,
                                 std::int64_t lengthMs) {
  std::vector<TOutage> outages;
  const double perWeek = rates.hangUpsPerWeek + rates.silencesPerWeek;
  if (perWeek <= 0) return outages;
  sim::Random random(seed);
  const auto meanGap = static_cast<std::int64_t>(static_cast<double>(kWeekMs) / perWeek);
  for (std::int64_t t = startMs + random.Between(meanGap / 2, meanGap);;) {
    const std::int64_t length = random.Between(rates.shortestMs, rates.longestMs);
    if (t + length >= startMs + lengthMs) return outages;
    outages.push_back({t, t + length, random.Chance(rates.hangUpsPerWeek / perWeek)});
    t += length + random.Between(meanGap / 2, meanGap * 3 / 2);
  }
}

}  // namespace helvanta::year
