#include "sim/sim_log.hpp"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace helvanta::sim {

SimLog::SimLog(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "a");
  if (file_ == nullptr) throw std::system_error(errno, std::generic_category(), "cannot open the log " + path);
}

SimLog::~SimLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void SimLog::Line(std::string_view text) {
  if (file_ == nullptr) return;
  const bool written = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                       std::fputc('\n', file_) != EOF && std::fflush(file_) == 0;
  if (!written && !failed_) {
    failed_ = true;
    std::fprintf(stderr, "helvanta-sim: cannot write the log %s: %s\n", path_.c_str(), std::strerror(errno));
  }
}

std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c <= ' ' || c > '~') c = '?';
  }
  return out;
}

}  // namespace helvanta::sim
