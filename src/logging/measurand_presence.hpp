#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/measurands.hpp"

namespace helvanta {

// A measurand counts for a record when it has a good answer from the last 135 s (three
// polling cycles), so two unanswered or damaged answers in a row do not cost the record.
// With two cycles, each measurand would have two chances per mark: at 5 % lost answers
// one mark in nine (1 - (1 - 0.05^2)^45) would go without a record.
inline constexpr std::int64_t kPresenceWindowMs = 135'000;

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
