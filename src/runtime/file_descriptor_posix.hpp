#pragma once

#include <cstddef>
#include <string_view>

namespace helvanta {

// Owns an open file descriptor and closes it once.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int Get() const { return fd_; }
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close();

 private:
  int fd_;
};

// Writes all of text, going on after interruptions; `written` tells how much went out
// before a failure.
bool WriteAll(int fd, std::string_view text, std::size_t& written);

}  // namespace helvanta
