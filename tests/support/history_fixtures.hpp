#pragma once

#include <sqlite3.h>

#include <string>

#include "history/history_row.hpp"
#include "history/history_schema.hpp"
#include "runtime/clock.hpp"

namespace helvanta::testing {

// A full minute row at a UTC minute (offset 0): every numeric row its row number in whole
// units, the registers "00A1".
inline THistoryRow FullRow(std::int64_t minute, std::int64_t dayEnergyHundredths = 0) {
  THistoryRow row;
  row.utcMinute = minute;
  for (int r = 0; r < kDisplayRowCount; ++r) {
    if (RowUnit(r) == "hex") {
      row.texts[static_cast<std::size_t>(r)] = "00A1";
    } else {
      row.hundredths[static_cast<std::size_t>(r)] = r * 100;
    }
  }
  row.hundredths[10] = dayEnergyHundredths;
  return row;
}

// A manual clock installed as the program's while it lives: UTC unless a zone is given.
class ScopedClock {
 public:
  explicit ScopedClock(const DateTime& start = {}, ManualClock::Zone zone = {}) : clock(start, std::move(zone)) {
    SetProgramClock(&clock);
  }
  ~ScopedClock() { SetProgramClock(nullptr); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

  ManualClock clock;
};

inline std::int64_t MinuteAt(int year, int month, int day, int hour, int minute) {
  return MinuteOf(DateTime{year, month, day, hour, minute, 0, 0});
}

// A database as the first version of the history wrote it: minutes keyed by local time.
inline void MakeVersionOneFile(const std::string& path) {
  std::string sql = "CREATE TABLE minute(t INTEGER PRIMARY KEY";
  for (int r = 0; r < kDisplayRowCount; ++r) sql += ", " + std::string(HistoryColumn(r));
  sql +=
      ");CREATE TABLE day(d INTEGER PRIMARY KEY, energy INTEGER, energy_minute INTEGER, minutes INTEGER NOT NULL);"
      "PRAGMA user_version = 1";
  sqlite3* db = nullptr;
  const bool made = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  if (!made) throw std::runtime_error("cannot make " + path);
}

// Every SQLite connection the process opens from now on gets at most this many pages
// (0: no limit), so a full disk can be played without a file system of its own.
inline int& PageLimit() {
  static int limit = 0;
  return limit;
}

inline void InstallPageLimit() {
  static const bool installed = [] {
    const auto entry = +[](sqlite3* db, char**, const void*) -> int {
      if (PageLimit() > 0) {
        const std::string sql = "PRAGMA max_page_count = " + std::to_string(PageLimit());
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
      }
      return SQLITE_OK;
    };
    return sqlite3_auto_extension(reinterpret_cast<void (*)()>(entry)) == SQLITE_OK;
  }();
  if (!installed) throw std::runtime_error("sqlite3_auto_extension failed");
}

}  // namespace helvanta::testing
