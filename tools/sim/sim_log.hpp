#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace helvanta::sim {

// The record of telegrams and answers, one flushed line each, appended to a file.
class SimLog {
 public:
  SimLog() = default;
  // Opens (or creates) the file for appending; throws std::system_error.
  explicit SimLog(const std::string& path);
  ~SimLog();
  SimLog(const SimLog&) = delete;
  SimLog& operator=(const SimLog&) = delete;

  // Writes one line; a failed write is reported once on standard error.
  void Line(std::string_view text);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  bool failed_ = false;
};

// The text with bytes that would break a log line (controls, blanks, non-ASCII) as '?'.
std::string Printable(std::string_view text);

}  // namespace helvanta::sim
