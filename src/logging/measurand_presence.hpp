#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/measurands.hpp"

namespace helvanta {

// A measurand counts for a record when it has a good answer from the last 90 s (two
// polling cycles), so one unanswered or damaged answer does not cost the record.
inline constexpr std::int64_t kPresenceWindowMs = 90'000;

bool IsPresent(const TMeasurand& m, std::int64_t nowMs);

// Indices of the measurands (0..44) that do not count at now.
std::vector<int> MissingMeasurands(std::int64_t nowMs);

// The text a record carries: the current value, or the last good one while the newest
// request waits for its answer.
std::string_view LoggedValue(const TMeasurand& m);

// The missing measurands by their row captions, joined by ", "; an entry that supplies
// the low word of a shown value is named after that value.
std::string MissingNames(const std::vector<int>& indices);

}  // namespace helvanta
