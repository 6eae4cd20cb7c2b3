#pragma once

#include <optional>
#include <string_view>

#include "web/http_response.hpp"

namespace helvanta {

class THistoryReader;

// /api/day?date=YYYY-MM-DD: the local day's minutes in time order as [local minute of
// the day, AC power W, DC power W, day's energy kWh, UTC offset min] (null where a value
// is unknown), so the repeated hour of an autumn night comes twice with two offsets;
// with the day's "start" and "end" in local time with offset (23 or 25 hours apart on a
// changeover day) and then its "change", the first minute of the new offset.
THttpResponse DayAnswer(THistoryReader& reader, std::optional<std::string_view> date);
THttpResponse DayAnswer(THistoryReader& reader, std::optional<std::string_view> date);

// /api/energy?month=YYYY-MM: [day, kWh] of each day with an energy;
// /api/energy?year=YYYY: [month, kWh] of each month with one. Exactly one of the two.
THttpResponse EnergyAnswer(THistoryReader& reader, std::optional<std::string_view> month,
                           std::optional<std::string_view> year);

}  // namespace helvanta
