#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "year/event_tally.hpp"
#include "year/history_check.hpp"
#include "year/line_model.hpp"
#include "year/mark_ledger.hpp"

namespace helvanta::year {

// What a run of the service did, and what its checks found.
struct TRunFigures {
  double seconds = 0;     // real time the run took
  double cpuSeconds = 0;  // of the process
  std::uint64_t ticks = 0;
  std::uint64_t missedTicks = 0;
  std::uint64_t hangUps = 0;
  std::uint64_t silences = 0;
  std::uint64_t steps = 0;
  TLineCounts line;
  TMarkFigures marks;
  std::uint64_t recordLines = 0;  // records in the day files at the end
  std::uint64_t recordValues = 0;
  std::uint64_t recordValuesNeverSent = 0;
  std::vector<std::string> neverSent;  // the first few, for the report
  THistoryFigures history;
  std::array<std::uint64_t, kEventKinds> events{};
  std::uint64_t eventsTotal = 0;
  std::uint64_t eventsMostInADay = 0;
  std::vector<std::string> otherEvents;
  std::vector<std::string> lost;
};

// The figures as lines of text.
std::string FiguresText(const TRunFigures& figures);

}  // namespace helvanta::year
