#pragma once

#include <cstdint>
#include <vector>

#include "runtime/date_time.hpp"
#include "year/line_model.hpp"
#include "year/outage_plan.hpp"
#include "year/run_figures.hpp"

namespace helvanta::year {

// The wall clock is set by ms when it reads at (local time), once.
struct TClockStepPlan {
  DateTime at;
  std::int64_t ms = 0;
};

// A run of the service against the line model, in Berlin's time zone.
struct TRunPlan {
  DateTime start;  // local wall clock; the ticks fall 5 ms after each second
  DateTime end;
  std::uint64_t seed = 1;
  TLineFaults faults;
  std::vector<TClockStepPlan> steps;  // in the order of their times
  // Hang-ups close the line and bring a new one later; silences leave it open and
  // unanswered.
  TOutageRates outages{0, 0, 60'000, 1'800'000};
  // Seconds in which the busy machine let no tick run.
  double missedTicksPerDay = 0;
};

// Runs the real service host tick by tick from start to end: its port on a pseudo-
// terminal whose requests the line model answers, the answer bytes handed to the
// service's framer as they arrive, the clock a manual one, every record and every
// history row checked against what the line model sent.
TRunFigures RunService(const TRunPlan& plan);

}  // namespace helvanta::year
