#include <gtest/gtest.h>

#include "runtime/clock.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {
namespace {

TEST(DateTime, RoundTripsAcrossMonthYearAndLeapDays) {
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);  // 2000 is a leap year
  EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1);  // 2100 is not

  const DateTime newYearsEve{2026, 12, 31, 23, 59, 59, 500};
  const DateTime next = AddMilliseconds(newYearsEve, 500);
  EXPECT_EQ(next, (DateTime{2027, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(AddSeconds(next, -1), (DateTime{2026, 12, 31, 23, 59, 59, 0}));
  EXPECT_EQ(FromEpochMilliseconds(ToEpochMilliseconds(DateTime{1969, 7, 20, 20, 17, 40, 1})),
            (DateTime{1969, 7, 20, 20, 17, 40, 1}));
}

TEST(DateTime, ComparesChronologically) {
  EXPECT_LT((DateTime{2026, 12, 7, 22, 30, 0, 0}), (DateTime{2026, 12, 7, 22, 30, 0, 1}));
  EXPECT_LT((DateTime{2026, 11, 30, 23, 0, 0, 0}), (DateTime{2026, 12, 1, 0, 0, 0, 0}));
}

TEST(ManualClock, MovesOnlyWhenTold) {
  ManualClock clock(DateTime{2026, 12, 7, 3, 0, 0, 0});
  EXPECT_EQ(clock.Now(), (DateTime{2026, 12, 7, 3, 0, 0, 0}));
  clock.Advance(86'400'000);
  EXPECT_EQ(clock.Now(), (DateTime{2026, 12, 8, 3, 0, 0, 0}));
  SetProgramClock(&clock);
  EXPECT_EQ(ProgramClock().Now(), clock.Now());
  SetProgramClock(nullptr);
}

}  // namespace
}  // namespace helvanta
