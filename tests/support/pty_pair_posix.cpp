#include "support/pty_pair_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace helvanta::testing {

PtyPair::PtyPair() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    CloseMaster();
    throw std::runtime_error("no pseudo-terminal");
  }
  slavePath_ = name;
}

PtyPair::~PtyPair() { CloseMaster(); }

int PtyPair::ReleaseMaster() {
  const int master = master_;
  master_ = -1;
  return master;
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void PtyPair::Send(const std::string& bytes) const {
  ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string PtyPair::Receive(std::size_t count, std::chrono::milliseconds limit) const {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (got.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buffer[256];
    const std::size_t want = count - got.size() < sizeof buffer ? count - got.size() : sizeof buffer;
    const ssize_t n = ::read(master_, buffer, want);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

std::string PtyPair::Drain() const {
  std::string got;
  for (;;) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return got;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return got;  // EIO: the port's side is closed
    got.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace helvanta::testing
