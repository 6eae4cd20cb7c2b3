#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/history_row.hpp"

namespace helvanta {

class SqliteConnection;

struct TDayEnergy {
  int year = 0;
  int month = 0;
  int day = 0;
  double kWh = 0;
};

struct TMonthEnergy {
  int year = 0;
  int month = 0;
  double kWh = 0;
};

// Whether year-month-day is a date of the calendar (years 1..9999).
bool IsCivilDate(int year, int month, int day);

// The reading side of the history database, for the chart window and the web page: a
// connection of its own, opened for reading only, so readers never wait for the writer
// (WAL mode) and never change the file. Any thread may call it; calls are serialised.
// A database that does not exist yet, or holds no history yet, reads as empty; any
// other failure raises ESqlite (or ENewerHistorySchema) and the next call opens the file
// afresh.
class THistoryReader {
 public:
  explicit THistoryReader(std::string path);
  ~THistoryReader();
  THistoryReader(const THistoryReader&) = delete;
  THistoryReader& operator=(const THistoryReader&) = delete;

  const std::string& Path() const { return path_; }

  // The stored minutes of a local day in time order, the hour repeated when summer time
  // ends after the first one; none for a date that does not exist.
  // Only the display rows named are read (the others stay empty); all when none are named.
  // Only the minutes after the UTC minute, when one is given.
  std::vector<THistoryRow> DaySeries(int year, int month, int day, std::span<const int> rows = {},
                                     std::optional<std::int64_t> afterUtcMinute = std::nullopt);
  // The same, each row handed to visit as it is read (one row reused, so a day costs no
  // more memory than a row).
  void ForEachDayRow(int year, int month, int day, std::span<const int> rows,
                     std::optional<std::int64_t> afterUtcMinute, const std::function<void(const THistoryRow&)>& visit);
  // The energy of each day with one, in date order: of one month, or of a whole year.
  std::vector<TDayEnergy> DailyEnergies(int year, int month);
  std::vector<TDayEnergy> DailyEnergies(int year);
  // The sum of the daily energies of each month of a year that has any.
  std::vector<TMonthEnergy> MonthlyEnergies(int year);

 private:
  // The open connection, or nullptr when there is no history to read yet.
  SqliteConnection* Connection();
  std::vector<TDayEnergy> EnergiesBetween(std::int64_t firstDay, std::int64_t endDay);

  std::string path_;
  std::mutex mutex_;
  std::unique_ptr<SqliteConnection> db_;
};

}  // namespace helvanta
