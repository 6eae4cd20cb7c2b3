#include <unistd.h>

#include <cerrno>

#include "runtime/file_descriptor_posix.hpp"

namespace helvanta {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return fd >= 0 && ::close(fd) == 0;
}

bool WriteAll(int fd, std::string_view text, std::size_t& written) {
  written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace helvanta
