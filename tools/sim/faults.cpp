#include "sim/faults.hpp"

#include <algorithm>
#include <string_view>

#include "link/codec.hpp"

namespace helvanta::sim {

std::string AnswerFaults::Names() const {
  if (drop) return "drop";
  std::string names;
  auto add = [&](bool on, std::string_view name) {
    if (!on) return;
    if (!names.empty()) names += ',';
    names += name;
  };
  add(garble, "garble");
  add(noise, "noise");
  add(late, "late");
  add(split, "split");
  return names.empty() ? "none" : names;
}

AnswerFaults FaultInjector::Decide() {
  // Every draw is made for every answer, so one fault's rate does not shift the others.
  AnswerFaults f;
  f.drop = random_.Chance(rates_.drop);
  f.garble = random_.Chance(rates_.garble);
  f.noise = random_.Chance(rates_.noise);
  f.late = random_.Chance(rates_.late);
  f.split = rates_.split;
  return f;
}

void FaultInjector::Garble(std::string& wordText) {
  static constexpr std::string_view kNotHex = "GHJKLMNPRSTUVWXYZ?* g";
  const auto at = static_cast<std::size_t>(random_.Between(0, static_cast<std::int64_t>(wordText.size()) - 1));
  wordText[at] = kNotHex[static_cast<std::size_t>(random_.Between(0, kNotHex.size() - 1))];
}

std::string FaultInjector::NoiseBytes() {
  std::string bytes(static_cast<std::size_t>(random_.Between(1, kMaxNoiseBytes)), '\0');
  for (char& b : bytes) {
    do {
      b = static_cast<char>(random_.Between(0, 255));
    } while (b == STX);
  }
  return bytes;
}

std::vector<SplitPoint> FaultInjector::SplitPlan(std::size_t size) {
  std::vector<SplitPoint> points;
  if (size < 2) return points;
  const auto cuts =
      static_cast<std::size_t>(random_.Between(1, std::min<std::int64_t>(3, static_cast<std::int64_t>(size) - 1)));
  while (points.size() < cuts) {
    const auto offset = static_cast<std::size_t>(random_.Between(1, static_cast<std::int64_t>(size) - 1));
    const bool taken =
        std::any_of(points.begin(), points.end(), [&](const SplitPoint& p) { return p.offset == offset; });
    if (!taken) points.push_back({offset, random_.Between(1'000, kMaxSplitPauseMicros)});
  }
  std::sort(points.begin(), points.end(), [](const SplitPoint& a, const SplitPoint& b) { return a.offset < b.offset; });
  return points;
}

}  // namespace helvanta::sim
