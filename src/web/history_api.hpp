#pragma once

#include <optional>
#include <string_view>

#include "web/http_response.hpp"

namespace helvanta {

class THistoryReader;

// /api/day?date=YYYY-MM-DD: the day's minutes as [minute of the day, AC power W,
// DC power W, day's energy kWh] (null where a value is unknown).
THttpResponse DayAnswer(THistoryReader& reader, std::optional<std::string_view> date);

// /api/energy?month=YYYY-MM: [day, kWh] of each day with an energy;
// /api/energy?year=YYYY: [month, kWh] of each month with one. Exactly one of the two.
THttpResponse EnergyAnswer(THistoryReader& reader, std::optional<std::string_view> month,
                           std::optional<std::string_view> year);

}  // namespace helvanta
