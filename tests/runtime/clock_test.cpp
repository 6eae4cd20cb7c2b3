// Local times around both changes of summer time, and which moves of the wall clock
// are steps worth telling.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/clock.hpp"
#include "runtime/clock_watch.hpp"
#include "support/clock_readings.hpp"

namespace helvanta {
namespace {

std::int64_t Utc(int month, int day, int hour, int minute) {
  return ToEpochMilliseconds(DateTime{2026, month, day, hour, minute, 0, 0});
}

TEST(ManualClock, MapsLocalTimesAroundTheChangesOfSummerTime) {
  const ManualClock clock({}, CentralEuropeanOffset);
  struct Case {
    DateTime local;
    bool later;
    std::int64_t utc;
  };
  const std::vector<Case> cases{
      {{2026, 1, 15, 12, 0, 0, 0}, false, Utc(1, 15, 11, 0)},
      {{2026, 7, 15, 12, 0, 0, 0}, false, Utc(7, 15, 10, 0)},
      {{2026, 3, 29, 1, 59, 0, 0}, false, Utc(3, 29, 0, 59)},
      {{2026, 3, 29, 2, 30, 0, 0}, false, Utc(3, 29, 1, 30)},  // skipped: the offset before
      {{2026, 3, 29, 3, 0, 0, 0}, false, Utc(3, 29, 1, 0)},
      {{2026, 10, 25, 2, 30, 0, 0}, false, Utc(10, 25, 0, 30)},  // repeated: first
      {{2026, 10, 25, 2, 30, 0, 0}, true, Utc(10, 25, 1, 30)},   // and second time
      {{2026, 10, 25, 3, 0, 0, 0}, true, Utc(10, 25, 2, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(clock.UtcOfLocal(c.local, c.later), c.utc) << DateTimeText(c.local);
}

TEST(ClockWatch, TellsStepsEitherWayButNotSummerTimeOrSmallCorrections) {
  ManualClock clock({2026, 10, 25, 2, 59, 0, 0}, CentralEuropeanOffset);
  TClockWatch watch;
  std::vector<std::string> steps;
  const auto tick = [&](std::int64_t stepMs) {
    clock.Step(stepMs);
    clock.Advance(1000);
    if (const auto step = watch.Note(clock.Read()))
      steps.push_back(DateTimeText(step->from) + " > " + DateTimeText(step->to));
  };
  for (int i = 0; i < 120; ++i) tick(0);  // through 03:00 CEST = 02:00 CET
  tick(2'000);
  tick(-2'000);
  tick(-3'600'000);
  tick(0);
  tick(86'400'000);
  // An hour back from 02:01 CET is 02:01 summer time again; each side in its own offset.
  EXPECT_EQ(steps, (std::vector<std::string>{"2026-10-25 02:01:03 > 2026-10-25 02:01:03",
                                             "2026-10-25 02:01:05 > 2026-10-26 01:01:05"}));
}

}  // namespace
}  // namespace helvanta
