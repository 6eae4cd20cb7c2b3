#include "runtime/retry_schedule.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace helvanta {
namespace {

// An operation that fails for two hours, asked once a second whether to try again.
TEST(RetryScheduleTest, GapsGrowToAMinuteAndReportsComeOnceThenHourly) {
  RetrySchedule schedule;
  std::vector<std::int64_t> attempts;
  std::vector<std::pair<std::int64_t, FailureReport>> reports;
  for (std::int64_t s = 0; s < 2 * 3600 + 30; ++s) {
    const std::int64_t now = s * 1000;
    if (!schedule.Due(now)) continue;
    attempts.push_back(s);
    if (const FailureReport r = schedule.Failed(now); r != FailureReport::kNone) reports.emplace_back(s, r);
  }
  ASSERT_GE(attempts.size(), 7u);
  EXPECT_EQ((std::vector<std::int64_t>(attempts.begin(), attempts.begin() + 7)),
            (std::vector<std::int64_t>{0, 5, 15, 35, 75, 135, 195}));
  // About one attempt a minute over two hours, never more.
  EXPECT_LE(attempts.size(), 5u + 2 * 60 + 1);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], std::make_pair(std::int64_t{0}, FailureReport::kFirst));
  EXPECT_EQ(reports[1].second, FailureReport::kReminder);
  EXPECT_GE(reports[1].first, 3600);
  EXPECT_LT(reports[1].first, 3600 + 61);
  EXPECT_GE(reports[2].first - reports[1].first, 3600);

  EXPECT_TRUE(schedule.Succeeded());
  EXPECT_FALSE(schedule.Succeeded());
  EXPECT_TRUE(schedule.Due(attempts.back() * 1000 + 1));
  // A new run starts with the short gap and a report of its own.
  EXPECT_EQ(schedule.Failed(10'000'000), FailureReport::kFirst);
  EXPECT_FALSE(schedule.Due(10'004'999));
  EXPECT_TRUE(schedule.Due(10'005'000));
  // A clock that steps back does not hold the next attempt for the length of the step.
  EXPECT_TRUE(schedule.Due(9'000'000));
}

// A broker's policy: 1 s doubling to a minute; a connection that drops within a minute
// goes on with the gap it had, one that held starts afresh.
TEST(RetryScheduleTest, ASuccessStartsTheGapsAfreshOnlyOnceItHeld) {
  RetrySchedule schedule(1'000, 60'000, 60'000);
  std::vector<std::int64_t> gaps;
  std::int64_t now = 0;
  const auto failAndMeasure = [&] {
    schedule.Failed(now);
    std::int64_t wait = schedule.WaitMs(now);
    gaps.push_back(wait);
    now += wait;
  };
  for (int i = 0; i < 8; ++i) failAndMeasure();
  schedule.Succeeded(now);
  now += 59'999;
  failAndMeasure();
  schedule.Succeeded(now);
  now += 60'000;
  failAndMeasure();
  EXPECT_EQ(gaps,
            (std::vector<std::int64_t>{1'000, 2'000, 4'000, 8'000, 16'000, 32'000, 60'000, 60'000, 60'000, 1'000}));
}

}  // namespace
}  // namespace helvanta
