#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "history/history_row.hpp"

namespace helvanta {

class SqliteConnection;
class SqliteStatement;

// Why the database could not be written.
enum class THistoryFault {
  kNone,
  kCannotOpen,   // missing folder, no permission to create the file
  kReadOnly,     // the file or its folder is write-protected
  kLocked,       // another program holds the database's write lock
  kFull,         // the file system (or the database's size limit) is full
  kDamaged,      // damaged and could not be moved aside
  kNewerSchema,  // written by a newer program; left untouched
  kOther,        // any other failure of the file or of SQLite
};

struct THistoryWriteResult {
  THistoryFault fault = THistoryFault::kNone;
  std::string detail;       // SQLite's text for the failure
  std::string movedAside;   // where a damaged file was moved before a new one was started
  std::size_t added = 0;    // minute rows stored
  std::size_t present = 0;  // minute rows that were stored already and were kept
};

// The writing side of the history database: one connection, used from one thread at a
// time. Any failure closes the connection, so the next write opens the file afresh and
// sees whatever was repaired meanwhile. A damaged file (not a database, or failing its
// check at opening) is renamed with its journal files, never deleted, and a new one is
// started.
class THistoryStore {
 public:
  // Minute rows of local days older than keepDays days before the day of the newest one
  // written are removed (0 keeps them all); the daily energies stay.
  explicit THistoryStore(int keepDays = 0);
  ~THistoryStore();
  THistoryStore(const THistoryStore&) = delete;
  THistoryStore& operator=(const THistoryStore&) = delete;

  // Stores the rows in one transaction in the database at path (opened, created or
  // upgraded first when needed). A minute stored already is kept as it is and counted as
  // present: the row stored first stands, and the rows after it are written. When every
  // minute of rows is stored already, nothing is written and no write lock is taken.
  THistoryWriteResult Write(const std::string& path, std::span<const THistoryRow> rows);
  void Close();

 private:
  struct Open;
  void OpenFile(const std::string& path);
  void WriteRows(std::span<const THistoryRow> rows, THistoryWriteResult& result);
  // Whether the minute of each of rows (not empty) is stored, read by key only.
  bool AllStored(std::span<const THistoryRow> rows);
  std::string MoveAside(const std::string& path);

  int keepDays_;
  std::string path_;
  std::unique_ptr<Open> open_;
  std::int64_t lastPurgeDay_ = -1;
};

}  // namespace helvanta
