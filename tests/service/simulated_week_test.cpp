#include <gtest/gtest.h>

#include <algorithm>

#include "year/service_run.hpp"

namespace helvanta::year {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;

// A week of the service host on a line with every fault of the simulator, hang-ups and
// silences, the end of summer time, a month end and two clock steps.
TEST(SimulatedWeek, EveryValueWasSentAndEveryMarkIsRecordedOrWarned) {
  TRunPlan plan;
  plan.start = DateTime{2028, 10, 26, 12, 0, 0, 5};
  plan.end = DateTime{2028, 11, 2, 12, 0, 0, 0};
  plan.seed = 7;
  plan.faults.rates = {0.03, 0.03, 0.05, 0.05, true};
  plan.faults.noiseWithStx = 0.25;
  plan.steps = {{DateTime{2028, 10, 30, 14, 20, 30, 0}, -kHourMs}, {DateTime{2028, 11, 1, 10, 10, 10, 0}, kHourMs}};
  plan.outages.hangUpsPerWeek = 3;
  plan.outages.silencesPerWeek = 2;
  plan.missedTicksPerDay = 4;
  const TRunFigures f = RunService(plan);
  SCOPED_TRACE(FiguresText(f));

  // 7 days, the hour of the autumn change twice and the hour after the step back again;
  // the hour the step forward jumps over counts, covered by the step's event.
  EXPECT_EQ(f.marks.marks, 7u * 1440 + 60 + 60);
  EXPECT_EQ(f.recordValuesNeverSent, 0u);
  EXPECT_EQ(f.history.valuesNeverSent, 0u);
  EXPECT_EQ(f.marks.lostWithoutWarning, 0u);
  EXPECT_EQ(f.marks.unexpectedRecords, 0u);
  EXPECT_EQ(f.recordLines, f.marks.recorded);
  EXPECT_EQ(f.history.recordedWithoutRow, 0u);
  EXPECT_EQ(f.history.rowsWithoutMark, 0u);
  EXPECT_EQ(f.history.valuesMissing, 0u);
  // The faults all happened, and the service came through them.
  EXPECT_GT(std::min({f.line.dropped, f.line.garbled, f.line.lateChains, f.line.noisyWithStx, f.line.split}), 0u);
  EXPECT_GE(f.hangUps, 2u);
  EXPECT_GE(f.silences, 1u);
  EXPECT_EQ(f.events[static_cast<std::size_t>(TEventKind::kLineBack)], f.hangUps);
  EXPECT_EQ(f.marks.stepsReported, 2u);
  EXPECT_EQ(f.marks.stepsUnreported, 0u);
  EXPECT_GT(f.marks.recorded, f.marks.marks * 9 / 10);
  // Two events for a run of skipped marks, two for a hang-up, one for a clock step: never
  // one for every mark.
  EXPECT_LE(f.eventsMostInADay, 200u);
}

}  // namespace
}  // namespace helvanta::year
