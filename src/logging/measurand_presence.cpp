#include "logging/measurand_presence.hpp"

namespace helvanta {

bool IsPresent(const TMeasurand& m, std::int64_t nowMs) {
  if (m.GoodAtMs == TMeasurand{}.GoodAtMs) return false;
  const std::int64_t age = nowMs - m.GoodAtMs;
  return age >= 0 && age <= kPresenceWindowMs;
}

std::vector<int> MissingMeasurands(std::int64_t nowMs) {
  std::vector<int> missing;
  for (int i = 0; i < kMeasurandCount; ++i) {
    if (!IsPresent(Measurands[static_cast<std::size_t>(i)], nowMs)) missing.push_back(i);
  }
  return missing;
}

std::string_view LoggedValue(const TMeasurand& m) { return m.Value != kNotAvailable ? m.Value : m.GoodValue; }

std::string MissingNames(const std::vector<int>& indices) {
  std::string names;
  for (const int i : indices) {
    if (i < 0 || i >= kMeasurandCount) continue;
    if (!names.empty()) names += ", ";
    const int row = DisplayRow(Measurands[static_cast<std::size_t>(i)].Descriptor);
    if (row >= 0) {
      names += RowCaption(row);
    } else if (i + 1 < kMeasurandCount) {
      // The low word of a 32-bit value is asked for just before its high word.
      names += RowCaption(DisplayRow(Measurands[static_cast<std::size_t>(i + 1)].Descriptor));
      names += " (low word)";
    }
  }
  return names;
}

}  // namespace helvanta
