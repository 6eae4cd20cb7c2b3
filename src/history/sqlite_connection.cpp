#include "history/sqlite_connection.hpp"

#include <sqlite3.h>

namespace helvanta {

void CheckSqlite(sqlite3* db, int code) {
  if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
  const int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
  const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  // The connection's last error belongs to this call only when the codes agree.
  throw ESqlite((extended & 0xFF) == (code & 0xFF) ? extended : code, message);
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
  CheckSqlite(db_, sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr));
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::BindInt(int index, std::int64_t value) {
  CheckSqlite(db_, sqlite3_bind_int64(stmt_, index, value));
}

void SqliteStatement::BindText(int index, std::string_view value) {
  CheckSqlite(db_, sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void SqliteStatement::BindNull(int index) { CheckSqlite(db_, sqlite3_bind_null(stmt_, index)); }

bool SqliteStatement::Step() {
  const int code = sqlite3_step(stmt_);
  CheckSqlite(db_, code);
  return code == SQLITE_ROW;
}

void SqliteStatement::Reset() {
  // A failed step was raised already; its code coming back here again is no news.
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string SqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                         : std::string();
}

SqliteConnection::SqliteConnection(const std::string& path, Mode mode) {
  const int flags = (mode == Mode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                    SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    const int extended = db_ != nullptr ? sqlite3_extended_errcode(db_) : code;
    sqlite3_close(db_);
    throw ESqlite(extended, message);
  }
  sqlite3_extended_result_codes(db_, 1);
}

SqliteConnection::~SqliteConnection() { sqlite3_close_v2(db_); }

void SqliteConnection::Exec(std::string_view sql) {
  const std::string text(sql);
  CheckSqlite(db_, sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr));
}

std::optional<std::string> SqliteConnection::QueryText(std::string_view sql) {
  SqliteStatement statement(db_, sql);
  if (!statement.Step()) return std::nullopt;
  return statement.Text(0);
}

std::int64_t SqliteConnection::QueryInt(std::string_view sql) {
  SqliteStatement statement(db_, sql);
  return statement.Step() ? statement.Int(0) : 0;
}

bool SqliteConnection::ReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

std::int64_t SqliteConnection::Changes() const { return sqlite3_changes64(db_); }

void SqliteConnection::RollBack() noexcept {
  // SQLite has ended the transaction itself after some failures (a full disk, a lost
  // lock). A rollback that fails too adds nothing: the failure that led here is the one
  // reported, and the caller drops this connection.
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace helvanta
