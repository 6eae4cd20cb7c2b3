#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace helvanta {

// A failed SQLite call: the extended result code and SQLite's own text.
class ESqlite : public std::runtime_error {
 public:
  ESqlite(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }
  // The primary result code (SQLITE_BUSY, SQLITE_FULL, ...).
  int Primary() const { return code_ & 0xFF; }

 private:
  int code_;
};

// One prepared statement; Step() returns true while it yields a row.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void BindInt(int index, std::int64_t value);
  void BindText(int index, std::string_view value);
  void BindNull(int index);
  bool Step();
  void Reset();

  bool IsNull(int column) const;
  std::int64_t Int(int column) const;
  std::string Text(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// One connection to a database file; every failure raises ESqlite.
class SqliteConnection {
 public:
  enum class Mode { kReadWriteCreate, kReadOnly };
  SqliteConnection(const std::string& path, Mode mode);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  void Exec(std::string_view sql);
  // The first column of the first row of a query, as text; empty when there is none.
  std::optional<std::string> QueryText(std::string_view sql);
  std::int64_t QueryInt(std::string_view sql);
  // Whether the file could only be opened for reading (no write permission).
  bool ReadOnly() const;
  std::int64_t Changes() const;
  // Ends an open transaction without its changes, after a failure inside it.
  void RollBack() noexcept;
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// Raises ESqlite for a result code that is not a success.
void CheckSqlite(sqlite3* db, int code);

}  // namespace helvanta
