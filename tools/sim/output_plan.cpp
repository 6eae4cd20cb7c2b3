#include "sim/output_plan.hpp"

namespace helvanta::sim {

OutputPlan PlanOutput(const std::string& bytes, std::int64_t startMicros, bool paced,
                      const std::vector<SplitPoint>& splits) {
  OutputPlan plan;
  std::int64_t at = startMicros;
  std::size_t from = 0;
  auto emit = [&](std::size_t to) {
    if (to <= from) return;
    if (paced) {
      for (std::size_t i = from; i < to; ++i) {
        plan.pieces.push_back({at, bytes.substr(i, 1)});
        at += ByteMicros(1);
      }
    } else {
      plan.pieces.push_back({at, bytes.substr(from, to - from)});
    }
    from = to;
  };
  for (const SplitPoint& split : splits) {
    emit(split.offset);
    at += split.pauseMicros;
  }
  emit(bytes.size());
  plan.endMicros = at;
  return plan;
}

}  // namespace helvanta::sim
