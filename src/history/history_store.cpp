#include "history/history_store.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "history/file_header.hpp"
#include "history/history_schema.hpp"
#include "history/history_values.hpp"
#include "history/sqlite_connection.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;
// The writer thread may wait this long for another program's lock; polling never does.
constexpr int kBusyTimeoutMs = 1000;
constexpr std::array<std::string_view, 2> kJournalSuffixes{"-wal", "-shm"};

// Raised for a file that is not a sound database, so it is moved aside.
class EDamaged : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

bool IsDamage(const ESqlite& error) { return error.Primary() == SQLITE_CORRUPT || error.Primary() == SQLITE_NOTADB; }

THistoryFault FaultOf(const ESqlite& error) {
  switch (error.Primary()) {
    case SQLITE_READONLY: return THistoryFault::kReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return THistoryFault::kLocked;
    case SQLITE_FULL: return THistoryFault::kFull;
    case SQLITE_CANTOPEN: return THistoryFault::kCannotOpen;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return THistoryFault::kDamaged;
    default: return THistoryFault::kOther;
  }
}

constexpr int kFirstValueParameter = 3;

// A minute stored already keeps the row stored first: after the wall clock is set back the
// marks come to minutes written before, and those are no failure.
std::string InsertMinuteSql() {
  std::string sql = "INSERT OR IGNORE INTO minute(t, utc_offset";
  std::string values = "?1, ?2";
  for (int row = 0; row < kDisplayRowCount; ++row) {
    sql += ", ";
    sql += HistoryColumn(row);
    values += ", ?" + std::to_string(row + kFirstValueParameter);
  }
  return sql + ") VALUES(" + values + ")";
}

// The energy of a (local) day is "Work - Current day" at the latest minute, in UTC, that
// carries it. A write adds each of its days once: the number of its minutes (?4) and
// the energy of its latest minute.
constexpr std::string_view kUpsertDaySql =
    "INSERT INTO day(d, energy, energy_minute, minutes) VALUES(?1, ?2, CASE WHEN ?2 IS NULL THEN NULL ELSE ?3 END, ?4) "
    "ON CONFLICT(d) DO UPDATE SET minutes = minutes + excluded.minutes, "
    "energy = CASE WHEN excluded.energy IS NOT NULL AND (energy_minute IS NULL OR excluded.energy_minute > "
    "energy_minute) THEN excluded.energy ELSE energy END, "
    "energy_minute = CASE WHEN excluded.energy IS NOT NULL AND (energy_minute IS NULL OR excluded.energy_minute > "
    "energy_minute) THEN excluded.energy_minute ELSE energy_minute END";

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// What the added rows of one write bring to a day.
struct TDayTally {
  std::int64_t minutes = 0;
  std::optional<std::int64_t> energy;  // at the latest of its minutes that carries one
  std::int64_t energyMinute = 0;
};

}  // namespace

struct THistoryStore::Open {
  explicit Open(const std::string& path) : db(path, SqliteConnection::Mode::kReadWriteCreate) {}
  SqliteConnection db;
  std::optional<SqliteStatement> insertMinute;
  std::optional<SqliteStatement> upsertDay;
  std::optional<SqliteStatement> storedMinutes;
};

THistoryStore::THistoryStore(int keepDays) : keepDays_(keepDays) {}

THistoryStore::~THistoryStore() = default;

void THistoryStore::Close() {
  open_.reset();
  path_.clear();
}

void THistoryStore::OpenFile(const std::string& path) {
  Close();
  // A file cut short or overwritten shows here rather than in the middle of some later
  // minute; the check reads a hundred bytes, however many years the file holds.
  if (const std::optional<std::string> damage = DatabaseFileDamage(path)) throw EDamaged(*damage);
  auto open = std::make_unique<Open>(path);
  SqliteConnection& db = open->db;
  // Without write permission SQLite opens the file for reading only; say so at once.
  if (db.ReadOnly()) throw ESqlite(SQLITE_READONLY, "attempt to write a readonly database");
  sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);
  // Rows are appended in time order and touch few pages: a small cache keeps a lean
  // service lean.
  db.Exec("PRAGMA cache_size = -256");
  if (db.QueryText("PRAGMA journal_mode=WAL") != "wal") throw ESqlite(SQLITE_ERROR, "WAL journal mode not available");
  // A commit waits for no disk flush; a power cut may lose the last minutes (the CSV
  // files keep them) but never the file's consistency.
  db.Exec("PRAGMA synchronous=NORMAL");
  UpgradeHistorySchema(db);
  open->insertMinute.emplace(db.Handle(), InsertMinuteSql());
  open->upsertDay.emplace(db.Handle(), kUpsertDaySql);
  open->storedMinutes.emplace(db.Handle(), "SELECT t FROM minute WHERE t BETWEEN ?1 AND ?2 ORDER BY t");
  open_ = std::move(open);
  path_ = path;
}

std::string THistoryStore::MoveAside(const std::string& path) {
  Close();
  const DateTime now = ProgramClock().Now();
  const std::string stamp = FormatTime(now, ".damaged-%Y%M%D-%h%m%s");
  std::string target = path + stamp;
  for (int n = 2; std::filesystem::exists(target); ++n) target = path + stamp + "-" + std::to_string(n);
  std::error_code error;
  std::filesystem::rename(path, target, error);
  if (error) throw ESqlite(SQLITE_CORRUPT, "damaged, and moving it aside failed: " + error.message());
  // The journal files belong to the damaged file; beside a new one they would be read
  // as its own.
  for (const std::string_view suffix : kJournalSuffixes) {
    const std::string journal = path + std::string(suffix);
    if (std::filesystem::exists(journal, error)) {
      std::filesystem::rename(journal, target + std::string(suffix), error);
      if (error) throw ESqlite(SQLITE_CORRUPT, "damaged, and moving " + journal + " aside failed: " + error.message());
    }
  }
  return target;
}

bool THistoryStore::AllStored(std::span<const THistoryRow> rows) {
  std::vector<std::int64_t> minutes;
  minutes.reserve(rows.size());
  for (const THistoryRow& row : rows) minutes.push_back(row.utcMinute);
  std::sort(minutes.begin(), minutes.end());
  minutes.erase(std::unique(minutes.begin(), minutes.end()), minutes.end());
  // The stored keys of the rows' span in order, merged with the rows' own: one missing
  // is enough to decide.
  SqliteStatement& stored = *open_->storedMinutes;
  auto next = minutes.begin();
  try {
    stored.BindInt(1, minutes.front());
    stored.BindInt(2, minutes.back());
    while (next != minutes.end() && stored.Step()) {
      const std::int64_t minute = stored.Int(0);
      if (minute > *next) break;
      if (minute == *next) ++next;
    }
  } catch (...) {
    stored.Reset();
    throw;
  }
  stored.Reset();
  return next == minutes.end();
}

void THistoryStore::WriteRows(std::span<const THistoryRow> rows, THistoryWriteResult& result) {
  // Rows of minutes stored already would all be kept out: a day imported again is
  // counted without a write transaction and without waiting for the write lock.
  if (!rows.empty() && AllStored(rows)) {
    result.present = rows.size();
    return;
  }
  SqliteConnection& db = open_->db;
  SqliteStatement& insert = *open_->insertMinute;
  SqliteStatement& upsert = *open_->upsertDay;
  std::map<std::int64_t, TDayTally> days;
  db.Exec("BEGIN IMMEDIATE");
  try {
    for (const THistoryRow& row : rows) {
      insert.BindInt(1, row.utcMinute);
      insert.BindInt(2, row.offsetMinutes);
      for (int r = 0; r < kDisplayRowCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int parameter = r + kFirstValueParameter;
        if (row.hundredths[i]) {
          insert.BindInt(parameter, *row.hundredths[i]);
        } else if (!row.texts[i].empty()) {
          insert.BindText(parameter, row.texts[i]);
        } else {
          insert.BindNull(parameter);
        }
      }
      insert.Step();
      insert.Reset();
      if (db.Changes() == 0) {
        ++result.present;
        continue;
      }
      ++result.added;
      const std::int64_t day = FloorDiv(row.LocalMinute(), kMinutesPerDay);
      TDayTally& tally = days[day];
      ++tally.minutes;
      if (const auto& energy = row.hundredths[kDayEnergyRow];
          energy && (!tally.energy || row.utcMinute > tally.energyMinute)) {
        tally.energy = energy;
        tally.energyMinute = row.utcMinute;
      }
      if (keepDays_ > 0 && day > lastPurgeDay_) {
        // Rows are dated by their own local time; the UTC bound only narrows the search.
        SqliteStatement purge(db.Handle(), "DELETE FROM minute WHERE t < ?1 AND t + utc_offset < ?2");
        const std::int64_t firstKept = (day - keepDays_) * kMinutesPerDay;
        purge.BindInt(1, firstKept + kLargestOffsetMinutes);
        purge.BindInt(2, firstKept);
        purge.Step();
        lastPurgeDay_ = day;
      }
    }
    // One statement a day rather than one a row.
    for (const auto& [day, tally] : days) {
      upsert.BindInt(1, day);
      if (tally.energy) {
        upsert.BindInt(2, *tally.energy);
      } else {
        upsert.BindNull(2);
      }
      upsert.BindInt(3, tally.energyMinute);
      upsert.BindInt(4, tally.minutes);
      upsert.Step();
      upsert.Reset();
    }
    db.Exec("COMMIT");
  } catch (...) {
    open_->insertMinute->Reset();
    open_->upsertDay->Reset();
    db.RollBack();
    throw;
  }
}

THistoryWriteResult THistoryStore::Write(const std::string& path, std::span<const THistoryRow> rows) {
  THistoryWriteResult result;
  // A damaged file is moved aside once per call; a second damage is reported.
  bool moved = false;
  for (;;) {
    try {
      if (!open_ || path_ != path) OpenFile(path);
      WriteRows(rows, result);
      return result;
    } catch (const ENewerHistorySchema& error) {
      Close();
      result.fault = THistoryFault::kNewerSchema;
      result.detail = error.what();
      return result;
    } catch (const EDamaged& error) {
      result.detail = error.what();
    } catch (const ESqlite& error) {
      result.detail = error.what();
      if (!IsDamage(error)) {
        Close();
        result.fault = FaultOf(error);
        return result;
      }
    }
    result.added = 0;
    result.present = 0;
    try {
      if (moved) throw ESqlite(SQLITE_CORRUPT, result.detail);
      result.movedAside = MoveAside(path);
      moved = true;
    } catch (const ESqlite& error) {
      Close();
      result.fault = THistoryFault::kDamaged;
      result.detail = error.what();
      return result;
    }
  }
}

}  // namespace helvanta
