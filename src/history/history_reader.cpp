#include "history/history_reader.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>

#include "history/history_schema.hpp"
#include "history/history_values.hpp"
#include "history/sqlite_connection.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;
constexpr int kReadBusyTimeoutMs = 200;

// The minutes of a local day: the range of the UTC key around it (so the search never
// reads the whole table), then each row by its own local time, in UTC order so that a
// repeated hour comes after the first one.
std::string SelectDaySql(std::span<const int> rows) {
  std::string sql = "SELECT t, utc_offset";
  for (const int row : rows) {
    sql += ", ";
    sql += HistoryColumn(row);
  }
  return sql + " FROM minute WHERE t >= ?1 AND t < ?2 AND t + utc_offset >= ?3 AND t + utc_offset < ?4 ORDER BY t";
}

constexpr int kFirstValueColumn = 2;

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool IsCivilDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

THistoryReader::THistoryReader(std::string path) : path_(std::move(path)) {}

THistoryReader::~THistoryReader() = default;

SqliteConnection* THistoryReader::Connection() {
  if (db_) return db_.get();
  std::error_code error;
  if (!std::filesystem::exists(path_, error)) return nullptr;
  auto db = std::make_unique<SqliteConnection>(path_, SqliteConnection::Mode::kReadOnly);
  db->Exec("PRAGMA busy_timeout = " + std::to_string(kReadBusyTimeoutMs));
  // A day's minutes fill about 200 kB of pages; SQLite's default 2 MB cache would mostly
  // hold days nobody asks for again.
  db->Exec("PRAGMA cache_size = -512");
  const auto version = db->QueryInt("PRAGMA user_version");
  if (version > HistorySchemaVersion()) throw ENewerHistorySchema("schema version " + std::to_string(version));
  // The writer has not made its tables yet.
  if (version == 0) return nullptr;
  if (version < HistorySchemaVersion()) {
    throw ESqlite(SQLITE_SCHEMA, "written by an older version of Helvanta (schema version " + std::to_string(version) +
                                     "); the history converts it when it next writes");
  }
  db_ = std::move(db);
  return db_.get();
}

std::vector<THistoryRow> THistoryReader::DaySeries(int year, int month, int day, std::span<const int> wanted,
                                                   std::optional<std::int64_t> afterUtcMinute) {
  std::vector<THistoryRow> rows;
  ForEachDayRow(year, month, day, wanted, afterUtcMinute, [&rows](const THistoryRow& row) { rows.push_back(row); });
  return rows;
}

void THistoryReader::ForEachDayRow(int year, int month, int day, std::span<const int> wanted,
                                   std::optional<std::int64_t> afterUtcMinute,
                                   const std::function<void(const THistoryRow&)>& visit) {
  static const std::vector<int> kEveryRow = [] {
    std::vector<int> every(kDisplayRowCount);
    for (int r = 0; r < kDisplayRowCount; ++r) every[static_cast<std::size_t>(r)] = r;
    return every;
  }();
  if (wanted.empty()) wanted = kEveryRow;
  if (!IsCivilDate(year, month, day)) return;
  const std::lock_guard lock(mutex_);
  try {
    SqliteConnection* db = Connection();
    if (db == nullptr) return;
    SqliteStatement select(db->Handle(), SelectDaySql(wanted));
    const std::int64_t first = DaysFromCivil(year, month, day) * kMinutesPerDay;
    const std::int64_t end = first + kMinutesPerDay;
    select.BindInt(1, std::max(first - kLargestOffsetMinutes, afterUtcMinute.value_or(INT64_MIN / 2) + 1));
    select.BindInt(2, end + kLargestOffsetMinutes);
    select.BindInt(3, first);
    select.BindInt(4, end);
    THistoryRow row;
    while (select.Step()) {
      row.utcMinute = select.Int(0);
      row.offsetMinutes = static_cast<int>(select.Int(1));
      for (std::size_t i = 0; i < wanted.size(); ++i) {
        const auto r = static_cast<std::size_t>(wanted[i]);
        const int column = static_cast<int>(i) + kFirstValueColumn;
        row.hundredths[r].reset();
        row.texts[r].clear();
        if (select.IsNull(column)) continue;
        if (IsRegisterRow(wanted[i])) {
          row.texts[r] = select.Text(column);
        } else {
          row.hundredths[r] = select.Int(column);
        }
      }
      visit(row);
    }
  } catch (...) {
    db_.reset();
    throw;
  }
}

std::vector<TDayEnergy> THistoryReader::EnergiesBetween(std::int64_t firstDay, std::int64_t endDay) {
  std::vector<TDayEnergy> energies;
  const std::lock_guard lock(mutex_);
  try {
    SqliteConnection* db = Connection();
    if (db == nullptr) return energies;
    SqliteStatement select(db->Handle(),
                           "SELECT d, energy FROM day WHERE d >= ?1 AND d < ?2 AND energy IS NOT NULL ORDER BY d");
    select.BindInt(1, firstDay);
    select.BindInt(2, endDay);
    while (select.Step()) {
      const DateTime date = FromEpochMilliseconds(select.Int(0) * kMinutesPerDay * 60'000);
      energies.push_back({date.year, date.month, date.day, static_cast<double>(select.Int(1)) / 100.0});
    }
  } catch (...) {
    db_.reset();
    throw;
  }
  return energies;
}

std::vector<TDayEnergy> THistoryReader::DailyEnergies(int year, int month) {
  if (!IsCivilDate(year, month, 1)) return {};
  const std::int64_t first = DaysFromCivil(year, month, 1);
  return EnergiesBetween(first, first + DaysInMonth(year, month));
}

std::vector<TDayEnergy> THistoryReader::DailyEnergies(int year) {
  if (!IsCivilDate(year, 1, 1)) return {};
  return EnergiesBetween(DaysFromCivil(year, 1, 1), DaysFromCivil(year + 1, 1, 1));
}

std::vector<TMonthEnergy> THistoryReader::MonthlyEnergies(int year) {
  // Summed in hundredths, so the months add up exactly as the days do.
  std::map<int, std::int64_t> months;
  for (const TDayEnergy& day : DailyEnergies(year)) {
    months[day.month] += static_cast<std::int64_t>(day.kWh * 100.0 + (day.kWh < 0 ? -0.5 : 0.5));
  }
  std::vector<TMonthEnergy> energies;
  for (const auto& [month, hundredths] : months) {
    energies.push_back({year, month, static_cast<double>(hundredths) / 100.0});
  }
  return energies;
}

}  // namespace helvanta
