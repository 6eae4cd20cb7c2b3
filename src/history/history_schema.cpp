#include "history/history_schema.hpp"

#include <array>

#include "history/history_values.hpp"
#include "history/sqlite_connection.hpp"
#include "link/measurands.hpp"

namespace helvanta {

namespace {

constexpr std::array<std::string_view, kDisplayRowCount> kColumns{
    "ac_voltage",           "ac_current",       "ac_power",          "dc_voltage",
    "dc_current",           "dc_power",         "cooler_temperature", "working_hours",
    "working_min_sec",      "work_total",       "work_day",          "work_last_day",
    "work_day_start",       "work_month",       "work_last_month",   "work_month_start",
    "work_year",            "work_last_year",   "work_year_start",   "efficiency",
    "ac_voltage_limit_min", "ac_voltage_limit_max", "current_limit", "frequency",
    "impedance",            "impedance_max",    "impedance_errors",  "frequency_errors",
    "error_specification",  "error_state",      "bus_address",       "version"};

// Version 1: one row per minute keyed by the minute itself (the table's rowid, so no
// index of its own), numbers as integers in hundredths, which SQLite stores in one to
// four bytes each where a floating-point number would take eight; and one row per day
// with its energy, kept when old minute rows are removed.
std::string VersionOne() {
  std::string sql = "CREATE TABLE minute(t INTEGER PRIMARY KEY";
  for (int row = 0; row < kDisplayRowCount; ++row) {
    sql += ", ";
    sql += kColumns[static_cast<std::size_t>(row)];
    sql += IsRegisterRow(row) ? " TEXT" : " INTEGER";
  }
  sql +=
      ");"
      "CREATE TABLE day(d INTEGER PRIMARY KEY, energy INTEGER, energy_minute INTEGER, minutes INTEGER NOT NULL);";
  return sql;
}

constexpr std::array<std::string (*)(), 1> kSteps{VersionOne};

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
        db.Exec(kSteps[static_cast<std::size_t>(step)]());
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
