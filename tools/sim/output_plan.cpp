#include "sim/output_plan.hpp"

namespace helvanta::sim {

OutputPlan PlanOutput(const std::string& bytes, std::int64_t startMicros, bool paced,
                      const std::vector<SplitPoint>& splits) {
  OutputPlan plan;
  // Byte times are counted from the start, not summed, so they do not drift.
  std::int64_t pauses = 0;
  std::size_t from = 0;
  auto at = [&](std::size_t byte) {
    return startMicros + pauses + (paced ? ByteMicros(static_cast<std::int64_t>(byte)) : 0);
  };
  auto emit = [&](std::size_t to) {
    if (to <= from) return;
    if (paced) {
      for (std::size_t i = from; i < to; ++i) plan.pieces.push_back({at(i), bytes.substr(i, 1)});
    } else {
      plan.pieces.push_back({at(from), bytes.substr(from, to - from)});
    }
    from = to;
  };
  for (const SplitPoint& split : splits) {
    emit(split.offset);
    pauses += split.pauseMicros;
  }
  emit(bytes.size());
  plan.endMicros = at(bytes.size());
  return plan;
}

}  // namespace helvanta::sim
