// The service host through a simulated year, 2028 (a leap year), minute by minute on a
// manual clock in Berlin's time zone: a line with the simulator's faults at the soak's
// rates (--drop 0.03 --garble 0.03 --late 0.05 --noise 0.05 --split), hang-ups and
// silences a few times a week, both changes of summer time, month and year ends, the
// 29th of February and clock steps of -1 h, +1 h and +1 day. Every record and history
// row is checked against what the line model sent. Targets: no value never sent, no
// mark lost without a warning, at most 200 events in any one day.
//   service_year_bench [seed]
#include <cstdio>
#include <cstdlib>

#include "year/service_run.hpp"

int main(int argc, char** argv) {
  using namespace helvanta;
  using namespace helvanta::year;
  constexpr std::uint64_t kMostEventsInADay = 200;
  constexpr std::int64_t kHourMs = 3'600'000;

  TRunPlan plan;
  plan.start = DateTime{2027, 12, 31, 23, 0, 0, 5};
  plan.end = DateTime{2029, 1, 1, 1, 0, 0, 0};
  plan.seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2028;
  plan.faults.rates = {0.03, 0.03, 0.05, 0.05, true};
  plan.faults.noiseWithStx = 0.25;
  plan.steps = {
      {DateTime{2028, 2, 10, 10, 17, 30, 0}, -kHourMs},
      {DateTime{2028, 5, 14, 14, 42, 10, 0}, kHourMs},
      {DateTime{2028, 8, 3, 9, 5, 45, 0}, 24 * kHourMs},
      {DateTime{2028, 11, 20, 16, 30, 20, 0}, -kHourMs},
  };
  plan.outages.hangUpsPerWeek = 3;
  plan.outages.silencesPerWeek = 2;
  plan.missedTicksPerDay = 4;

  const TRunFigures f = RunService(plan);
  std::fputs(FiguresText(f).c_str(), stdout);
  const bool valuesSent = f.recordValuesNeverSent == 0 && f.history.valuesNeverSent == 0;
  const bool marksKept = f.marks.lostWithoutWarning == 0 && f.marks.unexpectedRecords == 0 &&
                         f.history.recordedWithoutRow == 0 && f.history.rowsWithoutMark == 0;
  const bool eventsBounded = f.eventsMostInADay <= kMostEventsInADay;
  std::printf("targets: values never sent 0: %s; marks lost without a warning 0: %s; at most %ju events a day: %s\n",
              valuesSent ? "met" : "MISSED", marksKept ? "met" : "MISSED",
              static_cast<std::uintmax_t>(kMostEventsInADay), eventsBounded ? "met" : "MISSED");
  return valuesSent && marksKept && eventsBounded ? 0 : 1;
}
