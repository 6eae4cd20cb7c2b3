#include "history/upload_mark.hpp"

#include <filesystem>

#include "history/history_schema.hpp"
#include "history/sqlite_connection.hpp"

namespace helvanta {

TUploadMark::TUploadMark(std::string path) : path_(std::move(path)) {}

TUploadMark::~TUploadMark() = default;

bool TUploadMark::DatabaseExists() const {
  std::error_code error;
  return std::filesystem::exists(path_, error);
}

SqliteConnection& TUploadMark::Connection() {
  if (!db_) {
    auto db = std::make_unique<SqliteConnection>(path_, SqliteConnection::Mode::kReadWriteCreate);
    // The history's writer holds the write lock for a moment at each minute.
    db->Exec("PRAGMA busy_timeout = 2000");
    UpgradeHistorySchema(*db);
    db_ = std::move(db);
  }
  return *db_;
}

std::optional<TUploadProgress> TUploadMark::Read() {
  try {
    SqliteStatement select(Connection().Handle(), "SELECT status_minute, output_day FROM upload_mark WHERE id = 1");
    if (!select.Step()) return std::nullopt;
    return TUploadProgress{select.Int(0), select.Int(1)};
  } catch (...) {
    db_.reset();
    throw;
  }
}

void TUploadMark::Write(const TUploadProgress& progress) {
  try {
    SqliteStatement upsert(Connection().Handle(),
                           "INSERT INTO upload_mark(id, status_minute, output_day) VALUES (1, ?1, ?2) "
                           "ON CONFLICT(id) DO UPDATE SET status_minute = ?1, output_day = ?2");
    upsert.BindInt(1, progress.statusMinute);
    upsert.BindInt(2, progress.outputDay);
    upsert.Step();
  } catch (...) {
    db_.reset();
    throw;
  }
}

}  // namespace helvanta
