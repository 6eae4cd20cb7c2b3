// Which mark is due tick by tick: in its second, caught up after a tick that missed it,
// never twice, and both times in the repeated hour of an autumn night.
#include "logging/log_marks.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helvanta {
namespace {

struct Tick {
  int minute;
  int second;
  int millisecond;
  std::int64_t elapsedMs;  // since the first tick
};

std::string TimeText(const DateTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
  return text;
}

TEST(LogMarks, DueInItsSecondCaughtUpOnceAndNeverTwice) {
  struct Case {
    const char* what;
    int interval;
    std::vector<Tick> ticks;
    std::vector<std::string> marks;  // per tick: the mark's time, or "" for none
  };
  const std::vector<Case> cases{
      {"in its second", 1, {{0, 59, 5, 0}, {1, 0, 5, 1000}, {1, 1, 5, 2000}}, {"", "10:01:00.005", ""}},
      {"a late tick", 1, {{0, 59, 5, 0}, {1, 1, 200, 2195}}, {"", "10:01:00.000"}},
      {"set forward over it", 1, {{0, 59, 500, 0}, {1, 1, 500, 1000}}, {"", "10:01:00.000"}},
      {"set back into its second", 1, {{1, 0, 5, 0}, {1, 0, 505, 1000}, {1, 1, 505, 2000}}, {"10:01:00.005", "", ""}},
      {"off the interval", 5, {{4, 59, 5, 0}, {5, 1, 500, 2500}, {6, 0, 5, 61000}}, {"", "10:05:00.000", ""}},
      {"ticks too far apart", 1, {{0, 59, 5, 0}, {1, 9, 5, 10000}}, {"", ""}},
      {"an hour forward onto a mark", 5, {{0, 30, 5, 0}, {60, 31, 5, 1000}}, {"", "11:00:00.000"}},
      {"the same minute an hour later", 1, {{1, 0, 5, 0}, {1, 0, 5, 3'600'000}}, {"10:01:00.005", "10:01:00.005"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TLogMarks marks;
    for (std::size_t i = 0; i < c.ticks.size(); ++i) {
      const Tick& t = c.ticks[i];
      const std::int64_t local =
          ToEpochMilliseconds(DateTime{2026, 10, 25, 10, 0, 0, 0}) + (t.minute * 60 + t.second) * 1000 + t.millisecond;
      // Two hours ahead of UTC, as in summer; the mark keeps the offset.
      const std::optional<ClockReading> mark = marks.Due({local - 7'200'000, 120, 50'000 + t.elapsedMs}, c.interval);
      EXPECT_EQ(mark ? TimeText(mark->Local()) : "", c.marks[i]) << "tick " << i;
      EXPECT_TRUE(!mark || mark->LocalMs() - mark->utcMs == 7'200'000);
    }
  }
}

}  // namespace
}  // namespace helvanta
