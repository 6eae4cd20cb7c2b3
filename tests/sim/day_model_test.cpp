#include "sim/day_model.hpp"

#include <gtest/gtest.h>

#include "runtime/date_time.hpp"

namespace helvanta::sim {
namespace {

DateTime At(int y, int mo, int d, int h, int mi = 0, int s = 0) { return DateTime{y, mo, d, h, mi, s, 0}; }

TEST(SimDayModel, SunDrivesPowerAndNightIsDark) {
  const DayModel model(7);
  for (const DateTime& night : {At(2024, 6, 1, 2), At(2024, 6, 1, 5, 59, 59), At(2024, 6, 1, 20), At(2024, 6, 1, 23)}) {
    const InverterState s = model.At(night);
    EXPECT_EQ(s.acPower, 0.0);
    EXPECT_EQ(s.acVoltage, 0.0);
    EXPECT_EQ(s.acCurrent, 0.0);
    EXPECT_EQ(s.dcPower, 0.0);
    EXPECT_EQ(s.dcVoltage, 0.0);
    EXPECT_EQ(s.dcCurrent, 0.0);
    EXPECT_EQ(s.efficiency, 0.0);
    EXPECT_NEAR(s.periodMicroseconds, 20000.0, 10.0);
    EXPECT_GT(s.coolerTemperature, 0.0);
  }
  const InverterState noon = model.At(At(2024, 6, 1, 13));
  EXPECT_GT(noon.acPower, 900.0);
  EXPECT_LT(noon.acPower, 1000.0);
  EXPECT_GT(noon.dcPower, noon.acPower);
  EXPECT_NEAR(noon.acPower, noon.acVoltage * noon.acCurrent, 1e-6);
  EXPECT_NEAR(noon.dcPower, noon.dcVoltage * noon.dcCurrent, 1e-6);
  EXPECT_GT(noon.efficiency, 90.0);
  EXPECT_LT(noon.efficiency, 97.0);
  EXPECT_GT(noon.acVoltage, 220.0);
  EXPECT_LT(noon.acVoltage, 240.0);
  const InverterState morning = model.At(At(2024, 6, 1, 8));
  EXPECT_GT(morning.acPower, 0.0);
  EXPECT_LT(morning.acPower, noon.acPower);
  EXPECT_LT(morning.coolerTemperature, noon.coolerTemperature);
}

TEST(SimDayModel, SameSeedRepeatsAndOtherSeedDiffers) {
  const DateTime t = At(2024, 6, 1, 11, 22, 33);
  const InverterState a = DayModel(5).At(t);
  const InverterState b = DayModel(5).At(t);
  const InverterState c = DayModel(6).At(t);
  EXPECT_EQ(a.acPower, b.acPower);
  EXPECT_EQ(a.periodMicroseconds, b.periodMicroseconds);
  EXPECT_NE(a.acPower, c.acPower);
  EXPECT_EQ(a.workTotal, c.workTotal);  // counters carry no noise
}

// Walks across the ends of a day, a month and a year and checks every counter on the way.
void WalkAndCheck(const DateTime& from, int hours) {
  const DayModel model(3);
  InverterState previous = model.At(from);
  DateTime t = from;
  for (int step = 0; step < hours * 12; ++step) {
    const DateTime next = AddSeconds(t, 300);
    const InverterState s = model.At(next);
    SCOPED_TRACE(::testing::Message() << next.year << "-" << next.month << "-" << next.day << " " << next.hour << ":"
                                      << next.minute);
    EXPECT_GE(s.workTotal, previous.workTotal);
    EXPECT_GE(s.workingSeconds, previous.workingSeconds);
    EXPECT_EQ(s.workTotal, s.workStartOfDay + s.workCurrentDay);
    EXPECT_EQ(s.workTotal, s.workStartOfMonth + s.workCurrentMonth);
    EXPECT_EQ(s.workTotal, s.workStartOfYear + s.workCurrentYear);
    EXPECT_EQ(s.workLastDay, DayModel::kDailyYield);
    EXPECT_LE(s.workCurrentDay, DayModel::kDailyYield);
    if (next.day != t.day) {
      EXPECT_EQ(s.workCurrentDay, 0u);
      EXPECT_EQ(s.workStartOfDay, previous.workTotal);
      EXPECT_EQ(previous.workCurrentDay, DayModel::kDailyYield);
    } else {
      EXPECT_GE(s.workCurrentDay, previous.workCurrentDay);
    }
    if (next.month != t.month) {
      EXPECT_EQ(s.workCurrentMonth, 0u);
      EXPECT_EQ(s.workLastMonth, previous.workCurrentMonth);
    }
    if (next.year != t.year) {
      EXPECT_EQ(s.workCurrentYear, 0u);
      EXPECT_EQ(s.workLastYear, previous.workCurrentYear);
    }
    previous = s;
    t = next;
  }
}

TEST(SimDayModel, CountersOnlyGrowAndAddUpAcrossDayMonthAndYear) {
  WalkAndCheck(At(2024, 2, 28, 0), 72);    // leap day and the start of March
  WalkAndCheck(At(2023, 12, 30, 12), 60);  // the turn of the year
  const InverterState s = DayModel(1).At(At(2024, 6, 1, 12));
  EXPECT_GT(s.workTotal, 0xFFFFu);  // the high word of the total is in use
  EXPECT_GT(s.workingSeconds / 3600, 0xFFFFu);
  EXPECT_EQ(s.workLastMonth, 31u * DayModel::kDailyYield);  // May
}

TEST(SimDayModel, NothingBeforeInstallation) {
  const InverterState s = DayModel(1).At(At(2000, 1, 1, 12));
  EXPECT_EQ(s.workTotal, 0u);
  EXPECT_EQ(s.workCurrentDay, 0u);
  EXPECT_EQ(s.workingSeconds, 0u);
  const InverterState first =
      DayModel(1).At(At(DayModel::kInstallYear, DayModel::kInstallMonth, DayModel::kInstallDay, 21));
  EXPECT_EQ(first.workTotal, DayModel::kDailyYield);
  EXPECT_EQ(first.workLastDay, 0u);
  EXPECT_EQ(first.workingSeconds, 14u * 3600u);
}

}  // namespace
}  // namespace helvanta::sim
