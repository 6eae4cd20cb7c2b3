// Wrong logins by address: the delays they earn and the hourly report, by an injected time.
#include <gtest/gtest.h>

#include "web/login_guard.hpp"

namespace helvanta {
namespace {

TEST(LoginGuard, DelaysGrowPerAddressAndAreReportedHourly) {
  TLoginGuard guard;
  struct Step {
    const char* address;
    std::int64_t atMs;
    std::int64_t delayMs;
  };
  const std::vector<Step> steps{
      {"a", 0, 0},       {"a", 1, 0},     {"a", 2, 0},                        // typing mistakes cost nothing
      {"a", 3, 250},     {"a", 4, 500},   {"a", 5, 1'000}, {"b", 6, 0},       // another address has its own count
      {"a", 7, 2'000},   {"a", 8, 4'000}, {"a", 9, 8'000}, {"a", 10, 8'000},  // up to a bound
      {"a", 900'011, 0},                                                      // quiet for 15 minutes: afresh
  };
  for (const Step& step : steps) {
    EXPECT_EQ(guard.Failed(step.address, step.atMs), step.delayMs) << step.address << " at " << step.atMs;
  }
  EXPECT_EQ(guard.TakeReport(900'012), "a: 11, b: 1");
  guard.Failed("a", 900'013);
  EXPECT_EQ(guard.TakeReport(900'014), "") << "at most once an hour";
  EXPECT_EQ(guard.TakeReport(900'012 + 3'600'000), "a: 1");
  EXPECT_EQ(guard.TakeReport(900'012 + 7'200'000), "") << "nothing new";
  for (int i = 0; i < 5; ++i) guard.Failed("c", 10'000'000);
  guard.Succeeded("c");
  EXPECT_EQ(guard.Failed("c", 10'000'001), 0) << "a right login ends the delay";
}

}  // namespace
}  // namespace helvanta
