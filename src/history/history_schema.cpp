#include "history/history_schema.hpp"

#include <sqlite3.h>

#include <array>

#include "history/history_row.hpp"
#include "history/history_values.hpp"
#include "history/sqlite_connection.hpp"
#include "link/measurands.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

namespace {

constexpr std::array<std::string_view, kDisplayRowCount> kColumns{"ac_voltage",
                                                                  "ac_current",
                                                                  "ac_power",
                                                                  "dc_voltage",
                                                                  "dc_current",
                                                                  "dc_power",
                                                                  "cooler_temperature",
                                                                  "working_hours",
                                                                  "working_min_sec",
                                                                  "work_total",
                                                                  "work_day",
                                                                  "work_last_day",
                                                                  "work_day_start",
                                                                  "work_month",
                                                                  "work_last_month",
                                                                  "work_month_start",
                                                                  "work_year",
                                                                  "work_last_year",
                                                                  "work_year_start",
                                                                  "efficiency",
                                                                  "ac_voltage_limit_min",
                                                                  "ac_voltage_limit_max",
                                                                  "current_limit",
                                                                  "frequency",
                                                                  "impedance",
                                                                  "impedance_max",
                                                                  "impedance_errors",
                                                                  "frequency_errors",
                                                                  "error_specification",
                                                                  "error_state",
                                                                  "bus_address",
                                                                  "version"};

std::string ValueColumns(bool withTypes) {
  std::string sql;
  for (int row = 0; row < kDisplayRowCount; ++row) {
    sql += ", ";
    sql += kColumns[static_cast<std::size_t>(row)];
    if (withTypes) sql += IsRegisterRow(row) ? " TEXT" : " INTEGER";
  }
  return sql;
}

// Version 1: one row per minute keyed by the minute itself (the table's rowid, so no
// index of its own), numbers as integers in hundredths, which SQLite stores in one to
// four bytes each where a floating-point number would take eight; and one row per day
// with its energy, kept when old minute rows are removed.
void VersionOne(SqliteConnection& db) {
  db.Exec("CREATE TABLE minute(t INTEGER PRIMARY KEY" + ValueColumns(true) +
          ");"
          "CREATE TABLE day(d INTEGER PRIMARY KEY, energy INTEGER, energy_minute INTEGER, minutes INTEGER NOT NULL);");
}

// The local offset, in the clock's time zone, of a minute given in local time. Version 1
// kept one row for both hours of the repeated autumn hour, written in the first of them.
void LocalOffset(sqlite3_context* context, int, sqlite3_value** values) {
  const std::int64_t local = sqlite3_value_int64(values[0]);
  const std::int64_t utc = ProgramClock().UtcOfLocal(MinuteTime(local)) / 60'000;
  sqlite3_result_int64(context, local - utc);
}

// Version 2: minutes keyed by UTC with the local offset beside them, so that the hour
// repeated when summer time ends keeps both its rows; the day of a row is its local date,
// and a day's energy comes from its latest minute in UTC. Version 1's local minutes are
// converted with the offset their local time had.
void VersionTwo(SqliteConnection& db) {
  CheckSqlite(db.Handle(),
              sqlite3_create_function_v2(db.Handle(), "local_offset", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                         LocalOffset, nullptr, nullptr, nullptr));
  const std::string values = ValueColumns(false);
  // A local time the change to summer time skips can only have come from a clock set by
  // hand; where it meets a real minute, that one is kept.
  db.Exec(
      "CREATE TABLE minute_utc(t INTEGER PRIMARY KEY, utc_offset INTEGER NOT NULL" + ValueColumns(true) +
      ");"
      "INSERT OR IGNORE INTO minute_utc(t, utc_offset" +
      values + ") SELECT t - local_offset(t), local_offset(t)" + values +
      " FROM minute ORDER BY t;"
      "DROP TABLE minute;"
      "ALTER TABLE minute_utc RENAME TO minute;"
      "UPDATE day SET energy_minute = energy_minute - local_offset(energy_minute) WHERE energy_minute IS NOT NULL;");
}

// Version 3: what the PVOutput uploads last had accepted, so that a restart neither
// sends a status again nor leaves one out. One row at most.
void VersionThree(SqliteConnection& db) {
  db.Exec(
      "CREATE TABLE upload_mark(id INTEGER PRIMARY KEY CHECK (id = 1), status_minute INTEGER NOT NULL, "
      "output_day INTEGER NOT NULL);");
}

constexpr std::array<void (*)(SqliteConnection&), 3> kSteps{VersionOne, VersionTwo, VersionThree};

}  // namespace

int HistorySchemaVersion() { return static_cast<int>(kSteps.size()); }

std::string_view HistoryColumn(int displayRow) { return kColumns[static_cast<std::size_t>(displayRow)]; }

void UpgradeHistorySchema(SqliteConnection& db) {
  const auto version = db.QueryInt("PRAGMA user_version");
  if (version > HistorySchemaVersion()) {
    throw ENewerHistorySchema("schema version " + std::to_string(version) + ", this program knows " +
                              std::to_string(HistorySchemaVersion()));
  }
  for (auto step = version; step < HistorySchemaVersion(); ++step) {
    db.Exec("BEGIN IMMEDIATE");
    try {
      // Another writer may have upgraded the file since the version was read.
      if (db.QueryInt("PRAGMA user_version") == step) {
        kSteps[static_cast<std::size_t>(step)](db);
        db.Exec("PRAGMA user_version = " + std::to_string(step + 1));
      }
      db.Exec("COMMIT");
    } catch (...) {
      db.RollBack();
      throw;
    }
  }
}

}  // namespace helvanta
