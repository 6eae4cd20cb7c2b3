#include "sim/line_posix.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace helvanta::sim {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

void SetFlags(int fd, const std::string& what) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0 || fcntl(fd, F_SETFD, FD_CLOEXEC) < 0) {
    Fail(what);
  }
}

}  // namespace

SerialLine SerialLine::OpenPseudoTerminal() {
  SerialLine line;
  line.fd_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (line.fd_ < 0) Fail("cannot create a pseudo-terminal");
  SetFlags(line.fd_, "cannot set up the pseudo-terminal");
  if (grantpt(line.fd_) != 0 || unlockpt(line.fd_) != 0) Fail("cannot unlock the pseudo-terminal");
  char name[128];
  if (ptsname_r(line.fd_, name, sizeof name) != 0) Fail("cannot name the pseudo-terminal");
  line.path_ = name;
  line.slaveFd_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line.slaveFd_ < 0) Fail("cannot open " + line.path_);
  termios tio{};
  if (tcgetattr(line.slaveFd_, &tio) != 0) Fail("cannot read the settings of " + line.path_);
  cfmakeraw(&tio);
  if (tcsetattr(line.slaveFd_, TCSANOW, &tio) != 0) Fail("cannot make " + line.path_ + " raw");
  return line;
}

SerialLine SerialLine::OpenDevice(const std::string& path) {
  SerialLine line;
  line.path_ = path;
  line.fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (line.fd_ < 0) Fail("cannot open " + path);
  termios tio{};
  if (tcgetattr(line.fd_, &tio) != 0) Fail(path + " is not a serial device");
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD | CRTSCTS | HUPCL);
  tio.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, B1200) != 0 || cfsetospeed(&tio, B1200) != 0 || tcsetattr(line.fd_, TCSANOW, &tio) != 0) {
    Fail("cannot set " + path + " to 1200 bit/s 8E1");
  }
  tcflush(line.fd_, TCIOFLUSH);
  return line;
}

SerialLine::SerialLine(SerialLine&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), slaveFd_(std::exchange(other.slaveFd_, -1)), path_(std::move(other.path_)) {}

void SerialLine::Drain(int timeoutMs) {
  if (fd_ < 0) return;
  if (slaveFd_ < 0) {
    tcdrain(fd_);
    return;
  }
  // Bytes written to the master reach the slave's input a moment later, so an empty
  // input only counts once that moment has passed.
  constexpr int kStepMs = 10;
  constexpr int kSettleMs = 50;
  for (int waited = 0; waited < timeoutMs; waited += kStepMs) {
    int unread = 0;
    if (ioctl(slaveFd_, FIONREAD, &unread) != 0) return;
    if (unread == 0 && waited >= kSettleMs) return;
    usleep(kStepMs * 1000);
  }
}

SerialLine::~SerialLine() { Close(); }

void SerialLine::Close() {
  if (slaveFd_ >= 0) close(std::exchange(slaveFd_, -1));
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}

}  // namespace helvanta::sim
