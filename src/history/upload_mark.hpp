#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace helvanta {

class SqliteConnection;

// How far the uploads to PVOutput have come: the UTC minute of the last status it
// accepted and the local day (days since 1970-01-01) of the last day's output.
struct TUploadProgress {
  std::int64_t statusMinute = 0;
  std::int64_t outputDay = 0;
  bool operator==(const TUploadProgress&) const = default;
};

// The upload_mark table of the history database, on a connection of its own that opens
// an existing file only (the history's writer makes it). Raises ESqlite on failure;
// the next call then opens the file afresh.
class TUploadMark {
 public:
  explicit TUploadMark(std::string path);
  ~TUploadMark();
  TUploadMark(const TUploadMark&) = delete;
  TUploadMark& operator=(const TUploadMark&) = delete;

  // Whether the database file is there (uploads wait for the history to begin).
  bool DatabaseExists() const;
  // The progress kept, or none when the table holds none.
  std::optional<TUploadProgress> Read();
  void Write(const TUploadProgress& progress);

 private:
  SqliteConnection& Connection();

  std::string path_;
  std::unique_ptr<SqliteConnection> db_;
};

}  // namespace helvanta
