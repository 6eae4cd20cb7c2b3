// The history of a clock in Berlin read back as days: the day summer time begins has 23
// hours of minutes, the day it ends 25, each in time order with its own offset.
#include "web/history_api.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "history/history_reader.hpp"
#include "history/history_store.hpp"
#include "support/clock_readings.hpp"
#include "support/history_fixtures.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::FullRow;
using testing::TempFolder;

// A row for every minute of the three UTC days from the date on, as a Berlin clock dates it.
void AddThreeDays(std::vector<THistoryRow>& rows, int year, int month, int day) {
  const std::int64_t first = DaysFromCivil(year, month, day) * 1440;
  for (std::int64_t minute = first; minute < first + 3 * 1440; ++minute) {
    THistoryRow& row = rows.emplace_back(FullRow(minute));
    row.offsetMinutes = CentralEuropeanOffset(minute * 60'000);
  }
}

TEST(HistoryApi, ADayHasItsOwnHoursInTimeOrderAcrossAChangeOfTheClock) {
  const testing::ScopedClock berlin(DateTime{2026, 12, 1, 12, 0, 0, 0}, CentralEuropeanOffset);
  TempFolder folder;
  std::vector<THistoryRow> rows;
  AddThreeDays(rows, 2026, 3, 28);
  AddThreeDays(rows, 2026, 6, 14);
  AddThreeDays(rows, 2026, 10, 24);
  ASSERT_EQ(THistoryStore().Write(folder.File("h.sqlite"), rows).fault, THistoryFault::kNone);
  THistoryReader reader(folder.File("h.sqlite"));

  struct Case {
    int day[3];
    std::size_t minutes;
    std::string bounds;  // start, end and change in the answer
    std::string around;  // rows where the offset changes (or the night's first ones)
  };
  const std::vector<Case> cases{
      {{2026, 3, 29},
       23 * 60,
       R"("start":"2026-03-29T00:00:00+01:00","end":"2026-03-30T00:00:00+02:00","change":"2026-03-29T03:00:00+02:00")",
       "[119,2,5,0,60],[180,2,5,0,120]"},
      {{2026, 6, 15},
       24 * 60,
       R"("start":"2026-06-15T00:00:00+02:00","end":"2026-06-16T00:00:00+02:00","columns")",
       "[0,2,5,0,120],[1,2,5,0,120]"},
      {{2026, 10, 25},
       25 * 60,
       R"("start":"2026-10-25T00:00:00+02:00","end":"2026-10-26T00:00:00+01:00","change":"2026-10-25T02:00:00+01:00")",
       "[179,2,5,0,120],[120,2,5,0,60]"},
  };
  for (const Case& c : cases) {
    const auto [year, month, day] = c.day;
    SCOPED_TRACE(::testing::PrintToString(c.day));
    const std::vector<THistoryRow> series = reader.DaySeries(year, month, day);
    ASSERT_EQ(series.size(), c.minutes);
    EXPECT_EQ(series.front().LocalMinute(), DaysFromCivil(year, month, day) * 1440);
    EXPECT_EQ(series.back().LocalMinute(), DaysFromCivil(year, month, day + 1) * 1440 - 1);
    EXPECT_TRUE(std::adjacent_find(series.begin(), series.end(),
                                   [](const THistoryRow& a, const THistoryRow& b) {
                                     return b.utcMinute != a.utcMinute + 1;
                                   }) == series.end())
        << "every minute once, in time order";

    char date[11];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    const THttpResponse answer = TDayAnswers().Answer(reader, {.date = std::string_view(date)});
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find(c.bounds), std::string::npos) << answer.body.substr(0, 300);
    EXPECT_NE(answer.body.find(c.around), std::string::npos);
    EXPECT_EQ(static_cast<std::size_t>(std::count(answer.body.begin(), answer.body.end(), '[')), c.minutes + 3)
        << "the columns, the units and the rows";
  }
}

}  // namespace
}  // namespace helvanta
