#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "history/history_reader.hpp"
#include "history/history_schema.hpp"
#include "history/history_store.hpp"
#include "history/sqlite_connection.hpp"
#include "runtime/clock.hpp"
#include "support/clock_readings.hpp"
#include "support/file_bytes.hpp"
#include "support/history_fixtures.hpp"
#include "support/running_as_root.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::FullRow;
using testing::MinuteAt;
using testing::TempFolder;

int UserVersion(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
  const int version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return version;
}

void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST(HistoryStore, StoresMinutesAndDailyEnergiesAndReadsThemBack) {
  TempFolder folder;
  const std::string path = folder.File("h.sqlite");
  THistoryStore store(/*keepDays=*/2);
  // Two days in March, the second one's energy from its latest minute, however written.
  const std::vector<THistoryRow> rows{FullRow(MinuteAt(2026, 3, 1, 12, 0), 1050),
                                      FullRow(MinuteAt(2026, 3, 2, 13, 0), 2000),
                                      FullRow(MinuteAt(2026, 3, 2, 9, 0), 300)};
  THistoryWriteResult result = store.Write(path, rows);
  EXPECT_EQ(result.fault, THistoryFault::kNone) << result.detail;
  EXPECT_EQ(result.added, 3u);
  result = store.Write(path, std::span(&rows[0], 1));
  EXPECT_EQ(result.present, 1u) << "a minute stored already is kept";

  THistoryReader reader(path);
  const std::vector<THistoryRow> day = reader.DaySeries(2026, 3, 2);
  ASSERT_EQ(day.size(), 2u);
  EXPECT_EQ(day[0], rows[2]);
  EXPECT_EQ(day[1], rows[1]);
  EXPECT_EQ(RowNumber(day[1], 2), 2.0);
  // Rows named are read as stored; the others stay empty.
  const std::array<int, 2> named{2, 28};
  const std::vector<THistoryRow> part = reader.DaySeries(2026, 3, 2, named);
  ASSERT_EQ(part.size(), 2u);
  EXPECT_EQ(part[1].hundredths[2], rows[1].hundredths[2]);
  EXPECT_EQ(part[1].texts[28], rows[1].texts[28]);
  EXPECT_FALSE(part[1].hundredths[3].has_value());
  EXPECT_TRUE(reader.DaySeries(2026, 2, 30).empty());
  const std::vector<TDayEnergy> march = reader.DailyEnergies(2026, 3);
  ASSERT_EQ(march.size(), 2u);
  EXPECT_EQ(march[1].day, 2);
  EXPECT_DOUBLE_EQ(march[1].kWh, 20.0);
  const std::vector<TMonthEnergy> months = reader.MonthlyEnergies(2026);
  ASSERT_EQ(months.size(), 1u);
  EXPECT_EQ(months[0].month, 3);
  EXPECT_DOUBLE_EQ(months[0].kWh, 30.5);

  // Minute rows older than two days go; the day's energy stays.
  EXPECT_EQ(store.Write(path, std::vector{FullRow(MinuteAt(2026, 3, 4, 0, 0), 0)}).fault, THistoryFault::kNone);
  EXPECT_TRUE(reader.DaySeries(2026, 3, 1).empty());
  EXPECT_EQ(reader.DaySeries(2026, 3, 2).size(), 2u);
  EXPECT_EQ(reader.DailyEnergies(2026, 3).size(), 3u);
  EXPECT_TRUE(THistoryReader(folder.File("none.sqlite")).DaySeries(2026, 3, 2).empty());
}

TEST(HistoryStore, UpgradesAnOlderSchemaAndLeavesANewerOneAlone) {
  TempFolder folder;
  const std::string path = folder.File("h.sqlite");
  // Version 0 with a table of the user's own: upgraded, the table kept.
  Exec(path, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)");
  THistoryStore store;
  EXPECT_EQ(store.Write(path, std::vector{FullRow(1)}).fault, THistoryFault::kNone);
  store.Close();
  EXPECT_EQ(UserVersion(path), HistorySchemaVersion());
  Exec(path, "INSERT INTO notes VALUES(2)");

  const std::string newer = folder.File("newer.sqlite");
  Exec(newer, "PRAGMA user_version = 99");
  const THistoryWriteResult result = store.Write(newer, std::vector{FullRow(1)});
  EXPECT_EQ(result.fault, THistoryFault::kNewerSchema);
  EXPECT_EQ(UserVersion(newer), 99);
  EXPECT_THROW(THistoryReader(newer).DailyEnergies(2026), ENewerHistorySchema);
}

std::int64_t QueryInt(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  const std::int64_t value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return value;
}

// Version 1 kept local minutes; each becomes its UTC minute with the offset its local time
// had in the clock's zone, the one row of the repeated autumn hour in the first of them.
TEST(HistoryStore, UpgradesLocalMinutesToUtcWithTheirOffsets) {
  const testing::ScopedClock berlin(DateTime{2026, 12, 1, 12, 0, 0, 0}, CentralEuropeanOffset);
  TempFolder folder;
  const std::string path = folder.File("h.sqlite");
  testing::MakeVersionOneFile(path);
  struct Case {
    DateTime local;
    DateTime utc;
  };
  const std::vector<Case> cases{
      {{2026, 1, 10, 12, 0, 0, 0}, {2026, 1, 10, 11, 0, 0, 0}},
      {{2026, 7, 1, 12, 0, 0, 0}, {2026, 7, 1, 10, 0, 0, 0}},
      {{2026, 10, 25, 2, 30, 0, 0}, {2026, 10, 25, 0, 30, 0, 0}},
      {{2026, 10, 25, 3, 0, 0, 0}, {2026, 10, 25, 2, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Exec(path, "INSERT INTO minute(t, ac_power) VALUES(" + std::to_string(MinuteOf(c.local)) + ", 7)");
  }
  const std::int64_t autumnDay = DaysFromCivil(2026, 10, 25);
  Exec(path, "INSERT INTO day VALUES(" + std::to_string(autumnDay) + ", 5, " +
                 std::to_string(MinuteOf(cases[3].local)) + ", 2)");
  EXPECT_THROW(THistoryReader(path).DaySeries(2026, 7, 1), ESqlite) << "a reader leaves the conversion to the writer";

  ASSERT_EQ(THistoryStore().Write(path, std::vector{FullRow(1)}).fault, THistoryFault::kNone);
  THistoryReader reader(path);
  for (const Case& c : cases) {
    SCOPED_TRACE(DateTimeText(c.local));
    const std::vector<THistoryRow> day = reader.DaySeries(c.local.year, c.local.month, c.local.day);
    const auto row = std::find_if(day.begin(), day.end(),
                                  [&](const THistoryRow& r) { return r.LocalMinute() == MinuteOf(c.local); });
    ASSERT_NE(row, day.end());
    EXPECT_EQ(row->utcMinute, MinuteOf(c.utc));
    EXPECT_EQ(row->hundredths[2], 7);
  }
  EXPECT_EQ(QueryInt(path, "SELECT energy_minute FROM day WHERE d = " + std::to_string(autumnDay)),
            MinuteOf(cases[3].utc))
      << "a day's latest energy is found by UTC";
}

// Each fault gives its own answer; a damaged file is moved aside and a new one started.
TEST(HistoryStore, FaultsGiveAClearAnswerAndDamageIsMovedAside) {
  ManualClock clock(DateTime{2026, 3, 2, 10, 0, 0, 0});
  SetProgramClock(&clock);
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> spoil;
    THistoryFault fault;
    bool movedAside;
  };
  const std::vector<Case> cases{
      {"truncated to half",
       [](const std::string& path) { std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2); },
       THistoryFault::kNone, true},
      {"replaced by garbage", [](const std::string& path) { testing::WriteBytes(path, testing::BinaryGarbage()); },
       THistoryFault::kNone, true},
      {"read-only",
       [](const std::string& path) { std::filesystem::permissions(path, std::filesystem::perms::owner_read); },
       THistoryFault::kReadOnly, false},
      {"disk full", [](const std::string&) { testing::PageLimit() = 1; }, THistoryFault::kFull, false},
  };
  testing::InstallPageLimit();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.fault == THistoryFault::kReadOnly && testing::RunningAsRoot()) continue;
    TempFolder folder;
    const std::string path = folder.File("h.sqlite");
    {
      // A day's worth of rows, so that half the file loses pages that hold them.
      std::vector<THistoryRow> rows;
      for (int m = 0; m < 1440; ++m) rows.push_back(FullRow(MinuteAt(2026, 3, 1, 0, 0) + m));
      THistoryStore filler;
      ASSERT_EQ(filler.Write(path, rows).fault, THistoryFault::kNone);
    }
    c.spoil(path);
    // More rows than fit into the pages the file has.
    std::vector<THistoryRow> rows;
    for (int m = 0; m < 100; ++m) rows.push_back(FullRow(MinuteAt(2026, 3, 2, 10, 0) + m));
    THistoryStore store;
    const THistoryWriteResult result = store.Write(path, rows);
    testing::PageLimit() = 0;
    EXPECT_EQ(result.fault, c.fault) << result.detail;
    EXPECT_EQ(result.movedAside.empty(), !c.movedAside);
    if (c.movedAside) {
      EXPECT_EQ(result.movedAside, path + ".damaged-20260302-100000");
      EXPECT_TRUE(std::filesystem::exists(result.movedAside));
      EXPECT_EQ(THistoryReader(path).DaySeries(2026, 3, 2).size(), 100u) << "the new file holds the new rows";
    } else {
      EXPECT_FALSE(result.detail.empty());
      std::filesystem::permissions(path, std::filesystem::perms::owner_all);
      EXPECT_EQ(store.Write(path, rows).fault, THistoryFault::kNone) << "the next attempt opens the file afresh";
    }
  }
  SetProgramClock(nullptr);
}

TEST(HistoryStore, ALockHeldByAnotherProgramIsReportedAndOutlasted) {
  TempFolder folder;
  const std::string path = folder.File("h.sqlite");
  THistoryStore store;
  ASSERT_EQ(store.Write(path, std::vector{FullRow(1)}).fault, THistoryFault::kNone);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(store.Write(path, std::vector{FullRow(2)}).fault, THistoryFault::kLocked);
  THistoryReader reader(path);
  EXPECT_EQ(reader.DailyEnergies(1970).size(), 1u) << "readers are not held up by the writer's lock";
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(store.Write(path, std::vector{FullRow(2)}).fault, THistoryFault::kNone);
}

}  // namespace
}  // namespace helvanta
