#include "sim/pty_port.hpp"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace helvanta::sim::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

PtyPort::PtyPort(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw std::runtime_error("cannot open " + path);
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
  }
}

PtyPort::PtyPort(int fd) : fd_(fd) { fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK); }

PtyPort::~PtyPort() {
  if (fd_ >= 0) close(fd_);
}

void PtyPort::Write(std::string_view bytes) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) throw std::runtime_error("write to the line failed");
    if (Clock::now() >= deadline) throw std::runtime_error("the line does not take bytes");
    pollfd pfd{fd_, POLLOUT, 0};
    poll(&pfd, 1, 10);
  }
}

std::string PtyPort::Drain() {
  std::string out;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(fd_, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  return out;
}

std::string PtyPort::ReadUntilQuiet(int quietMs, int maxMs) {
  std::string out;
  const auto deadline = Clock::now() + std::chrono::milliseconds(maxMs);
  while (RemainingMs(deadline) > 0) {
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, std::min(quietMs, RemainingMs(deadline))) <= 0 || (pfd.revents & POLLIN) == 0) break;
    const std::string got = Drain();
    if (got.empty()) break;
    out += got;
  }
  return out;
}

std::string PtyPort::ReadBytes(std::size_t count, int maxMs) {
  std::string out;
  for (const Piece& p : ReadPieces(count, maxMs)) out += p.bytes;
  return out;
}

std::vector<PtyPort::Piece> PtyPort::ReadPieces(std::size_t count, int maxMs) {
  std::vector<Piece> pieces;
  std::size_t got = 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(maxMs);
  while (got < count && RemainingMs(deadline) > 0) {
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, RemainingMs(deadline)) <= 0 || (pfd.revents & POLLIN) == 0) break;
    char buffer[256];
    const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - got));
    if (n <= 0) break;
    pieces.push_back({Clock::now(), std::string(buffer, static_cast<std::size_t>(n))});
    got += static_cast<std::size_t>(n);
  }
  return pieces;
}

}  // namespace helvanta::sim::test
