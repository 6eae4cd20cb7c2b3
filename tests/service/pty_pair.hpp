#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>

namespace helvanta::testing {

// A pseudo-terminal whose slave path stands in for a serial device; the test reads
// what the program writes from the master side.
class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname_r failed");
    slavePath_ = name;
  }
  ~PtyPair() { close(master_); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  int MasterFd() const { return master_; }

  // Everything waiting on the master side now.
  std::string Drain() {
    std::string bytes;
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) {
        bytes.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      return bytes;  // EAGAIN: nothing more; EIO: the slave is closed
    }
  }

  // Reads until count bytes arrived or the timeout passed.
  std::string Read(std::size_t count, int timeoutMs = 2000) {
    std::string bytes;
    while (bytes.size() < count) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) break;
      char buffer[256];
      const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
      if (n <= 0) break;
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
  }

  void Write(const std::string& bytes) {
    if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      throw std::runtime_error("pty write failed");
    }
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace helvanta::testing
