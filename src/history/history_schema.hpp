#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace helvanta {

class SqliteConnection;

// The schema version this program writes (PRAGMA user_version).
int HistorySchemaVersion();

// The column of the minute table that holds display row 0..31.
std::string_view HistoryColumn(int displayRow);

// A database whose schema is newer than this program knows: it is left as it is.
class ENewerHistorySchema : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Brings the schema up to HistorySchemaVersion(), one step per version, each step in a
// transaction of its own together with its new version number. A new file starts at 0.
void UpgradeHistorySchema(SqliteConnection& db);

}  // namespace helvanta
