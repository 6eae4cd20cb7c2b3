#include <gtest/gtest.h>

#include "pvoutput/pvoutput_requests.hpp"

namespace helvanta {
namespace {

THistoryRow Row(int hour, int minute) {
  THistoryRow row;
  row.offsetMinutes = 60;
  row.utcMinute = MinuteOf(DateTime{2026, 12, 7, hour, minute, 0, 0}) - 60;
  row.hundredths[kRowAcVoltage] = 23'015;
  row.hundredths[kRowAcPower] = 123'450;
  row.hundredths[kRowCoolerTemperature] = -305;
  row.hundredths[kRowWorkDay] = 1'234;
  return row;
}

TEST(PvoutputRequests, StatusFieldsInPvoutputsUnits) {
  EXPECT_EQ(AddStatusBody(Row(13, 45)), "d=20261207&t=13%3A45&v1=12340&v2=1235&v5=-3.05&v6=230.15");
  THistoryRow unknown = Row(6, 0);
  unknown.hundredths[kRowAcPower].reset();
  unknown.hundredths[kRowCoolerTemperature].reset();
  EXPECT_EQ(AddStatusBody(unknown), "d=20261207&t=06%3A00&v1=12340&v6=230.15");
  const THistoryRow rows[] = {Row(13, 45), unknown};
  EXPECT_EQ(AddBatchStatusBody(rows),
            "data=20261207%2C13%3A45%2C12340%2C1235%2C%2C%2C-3.05%2C230.15%3B20261207%2C06%3A00%2C12340%2C%2C%2C%2C%2C"
            "230.15");
}

TEST(PvoutputRequests, BatchAnswersMustNameEachStatusInOrder) {
  const THistoryRow rows[] = {Row(10, 0), Row(10, 5)};
  std::size_t notAdded = 9;
  EXPECT_TRUE(BatchAnswerMatches("20261207,10:00,1;20261207,10:05,0\n", rows, notAdded));
  EXPECT_EQ(notAdded, 1U);
  for (const char* wrong :
       {"20261207,10:00,1", "20261207,10:05,1;20261207,10:00,1", "20261207,10:00,1;20261207,10:05,2",
        "OK 200: Added Status", "20261207,10:00,1;20261207,10:05,1;20261207,10:10,1", ""}) {
    EXPECT_FALSE(BatchAnswerMatches(wrong, rows, notAdded)) << wrong;
  }
}

TEST(PvoutputRequests, DayOutputTakesTheLastEnergyAndTheFirstPeak) {
  std::vector<THistoryRow> rows{Row(10, 0), Row(11, 0), Row(12, 0)};
  rows[1].hundredths[kRowAcPower] = 200'000;
  rows[2].hundredths[kRowAcPower] = 200'000;
  rows[2].hundredths[kRowWorkDay] = 2'000;
  const std::optional<TPvoutputDay> day = DayOutput(rows);
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(AddOutputBody(*day), "d=20261207&g=20000&pp=2000&pt=11%3A00");
  EXPECT_FALSE(DayOutput({}).has_value());
}

}  // namespace
}  // namespace helvanta
