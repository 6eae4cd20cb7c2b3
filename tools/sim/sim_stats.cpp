#include "sim/sim_stats.hpp"

namespace helvanta::sim {

std::uint64_t SimStats::MalformedCount() const {
  std::uint64_t n = 0;
  for (const auto& [result, count] : malformed) n += count;
  return n;
}

std::string SimStats::Summary() const {
  std::string text =
      std::to_string(received) + " requests received, " + std::to_string(MalformedCount()) + " malformed";
  if (!malformed.empty()) {
    text += " (";
    bool first = true;
    for (const auto& [result, count] : malformed) {
      if (!first) text += ", ";
      first = false;
      text += std::to_string(count) + " " + std::string(ResultName(result));
    }
    text += ")";
  }
  text += "; " + std::to_string(answered) + " answered, " + std::to_string(dropped) + " dropped, " +
          std::to_string(garbled) + " garbled, " + std::to_string(noisy) + " with noise, " + std::to_string(late) +
          " late; " + std::to_string(skippedBytes) + " bytes outside telegrams skipped";
  return text;
}

}  // namespace helvanta::sim
