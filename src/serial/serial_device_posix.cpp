#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>

#include "runtime/native_handle_posix.hpp"
#include "serial/serial_device.hpp"
#include "serial/termios_from_dcb_posix.hpp"

namespace helvanta {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A device without the ioctl in question (a pseudo-terminal has no modem lines and no
// error counters) answers ENOTTY, some drivers EINVAL.
bool NotSupported(int error) { return error == ENOTTY || error == EINVAL; }

int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  if (left <= 0) return 0;
  return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

// True when the device took every attribute but parity and byte size. A pseudo-terminal
// has no parity and silently keeps 8 bits without it; the C library then reports EINVAL
// although all else was applied.
bool AppliedButParity(const termios& applied, const termios& wanted) {
  const tcflag_t parityBits = CSIZE | PARENB | PARODD | CMSPAR;
  return applied.c_iflag == wanted.c_iflag && applied.c_oflag == wanted.c_oflag && applied.c_lflag == wanted.c_lflag &&
         (applied.c_cflag & ~parityBits) == (wanted.c_cflag & ~parityBits) && applied.c_cc[VMIN] == wanted.c_cc[VMIN] &&
         applied.c_cc[VTIME] == wanted.c_cc[VTIME] && cfgetospeed(&applied) == cfgetospeed(&wanted);
}

// VMIN with VTIME 0: the terminal reports input readable once that many bytes wait.
cc_t VminFor(int threshold) { return static_cast<cc_t>(threshold > 1 ? threshold : 0); }

SteadyClock::time_point After(std::uint64_t milliseconds) {
  return SteadyClock::now() + std::chrono::milliseconds(static_cast<std::int64_t>(milliseconds));
}

}  // namespace

SerialDevice::~SerialDevice() { Close(); }

int SerialDevice::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  // TIOCEXCL keeps other users out but not root; the lock keeps out every other opener
  // that locks too, root included.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  handle_ = HandleOfFd(fd);
  TComErrors ignored;
  ClearErrors(true, ignored);  // start counting line errors from now
  return 0;
}

void SerialDevice::Close() {
  if (handle_.IsValid()) {
    const int fd = FdOf(handle_);
    // Bytes of this session that nobody read must not reach the next one; the output
    // is left to drain.
    ::tcflush(fd, TCIFLUSH);
    // The exclusive flag belongs to the terminal, not to this descriptor, and a
    // pseudo-terminal keeps it while its other end stays open: clear it, or the next
    // open by an ordinary user would be refused.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
  }
  handle_ = {};
  inputThreshold_ = 1;
  frameCount_ = parityCount_ = overrunCount_ = breakCount_ = bufferOverrunCount_ = 0;
}

int SerialDevice::SetState(const Dcb& dcb) {
  const int fd = FdOf(handle_);
  termios current{};
  if (::tcgetattr(fd, &current) != 0) return errno;
  std::optional<termios> wanted = DcbToTermios(dcb, current);
  if (!wanted) return EINVAL;
  wanted->c_cc[VMIN] = VminFor(inputThreshold_);
  if (::tcsetattr(fd, TCSANOW, &*wanted) != 0) {
    const int error = errno;
    termios applied{};
    if (error != EINVAL || ::tcgetattr(fd, &applied) != 0 || !AppliedButParity(applied, *wanted)) return error;
  }
  const ModemLineChange lines = ModemLinesFromDcb(dcb);
  if (lines.raise != 0 && ::ioctl(fd, TIOCMBIS, &lines.raise) != 0 && errno != ENOTTY) return errno;
  if (lines.lower != 0 && ::ioctl(fd, TIOCMBIC, &lines.lower) != 0 && errno != ENOTTY) return errno;
  return 0;
}

int SerialDevice::SetInputThreshold(int count) {
  if (!handle_.IsValid()) return EBADF;
  count = std::clamp(count, 1, 255);
  if (count == inputThreshold_) return 0;
  termios t{};
  if (::tcgetattr(FdOf(handle_), &t) != 0) return errno;
  t.c_cc[VMIN] = VminFor(count);
  t.c_cc[VTIME] = 0;
  if (::tcsetattr(FdOf(handle_), TCSANOW, &t) != 0) return errno;
  inputThreshold_ = count;
  return 0;
}

int SerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
  if (!handle_.IsValid()) return EBADF;
  timeouts_ = timeouts;
  return 0;
}

int SerialDevice::SetupBuffers(int, int) {
  // The driver's buffers have a fixed size here; the sizes only set the XON/XOFF limits.
  return handle_.IsValid() ? 0 : EBADF;
}

int SerialDevice::Write(const char* bytes, int count, int& written) {
  written = 0;
  const std::uint64_t total = std::uint64_t{timeouts_.WriteTotalTimeoutMultiplier} * static_cast<std::uint64_t>(count) +
                              timeouts_.WriteTotalTimeoutConstant;
  const bool limited = total != 0;
  const SteadyClock::time_point deadline = limited ? After(total) : SteadyClock::time_point::max();
  while (written < count) {
    const ssize_t n = ::write(FdOf(handle_), bytes + written, static_cast<std::size_t>(count - written));
    if (n > 0) {
      written += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return errno;
    // The output buffer is full: wait for room until the write time is up.
    const int wait = limited ? MillisecondsLeft(deadline) : -1;
    if (wait == 0) break;
    pollfd p{FdOf(handle_), POLLOUT, 0};
    const int ready = ::poll(&p, 1, wait);
    if (ready < 0 && errno != EINTR) return errno;
    if (ready == 0) break;
    if ((p.revents & POLLOUT) == 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return EIO;
  }
  return 0;
}

int SerialDevice::Read(char* buffer, int count, int& read) {
  read = 0;
  const CommTimeouts& t = timeouts_;
  // Interval "infinite" with no total time: hand over what is waiting, even nothing.
  const bool immediate =
      t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const std::uint64_t total =
      std::uint64_t{t.ReadTotalTimeoutMultiplier} * static_cast<std::uint64_t>(count) + t.ReadTotalTimeoutConstant;
  const bool totalLimited = total != 0;
  const SteadyClock::time_point totalDeadline = totalLimited ? After(total) : SteadyClock::time_point::max();
  SteadyClock::time_point lastByte{};
  while (read < count) {
    const ssize_t n = ::read(FdOf(handle_), buffer + read, static_cast<std::size_t>(count - read));
    if (n > 0) {
      read += static_cast<int>(n);
      lastByte = SteadyClock::now();
      continue;
    }
    if (n == 0) return 0;  // the other end is gone; what came before is the result
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return errno;
    if (immediate) return 0;
    if (t.ReadIntervalTimeout == kMaxDword && read > 0) return 0;
    int wait = totalLimited ? MillisecondsLeft(totalDeadline) : -1;
    if (t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword && read > 0) {
      const int interval = MillisecondsLeft(lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout));
      wait = wait < 0 ? interval : std::min(wait, interval);
    }
    if (wait == 0) return 0;
    pollfd p{FdOf(handle_), POLLIN, 0};
    const int ready = ::poll(&p, 1, wait);
    if (ready < 0 && errno != EINTR) return errno;
    if (ready == 0) return 0;
  }
  return 0;
}

int SerialDevice::ReadWaiting(char* buffer, int capacity, int& read) {
  read = 0;
  for (;;) {
    // One read on the non-blocking descriptor empties the driver's buffer up to capacity.
    const ssize_t n = ::read(FdOf(handle_), buffer, static_cast<std::size_t>(capacity));
    if (n >= 0) {
      read = static_cast<int>(n);
      return 0;
    }
    if (errno == EINTR) continue;
    return errno == EAGAIN ? 0 : errno;
  }
}

int SerialDevice::InputCount(int& count) const {
  count = 0;
  return ::ioctl(FdOf(handle_), FIONREAD, &count) == 0 ? 0 : errno;
}

int SerialDevice::ModemStatus(TComSignals& signals) const {
  signals = {};
  int lines = 0;
  if (::ioctl(FdOf(handle_), TIOCMGET, &lines) != 0) {
    const int error = errno;
    return handle_.IsValid() && error == ENOTTY ? 0 : error;  // no modem lines: all off
  }
  if ((lines & TIOCM_CTS) != 0) signals.Include(TComSignal::csCTS);
  if ((lines & TIOCM_DSR) != 0) signals.Include(TComSignal::csDSR);
  if ((lines & TIOCM_RNG) != 0) signals.Include(TComSignal::csRing);
  if ((lines & TIOCM_CAR) != 0) signals.Include(TComSignal::csRLSD);
  return 0;
}

int SerialDevice::ClearErrors(bool reportParity, TComErrors& errors) {
  errors = {};
  if (!handle_.IsValid()) return EBADF;
  serial_icounter_struct counters{};
  if (::ioctl(FdOf(handle_), TIOCGICOUNT, &counters) != 0) {
    const int error = errno;
    return NotSupported(error) ? 0 : error;
  }
  auto seen = [](int now, std::uint32_t& before) {
    const bool grew = static_cast<std::uint32_t>(now) != before;
    before = static_cast<std::uint32_t>(now);
    return grew;
  };
  if (seen(counters.frame, frameCount_)) errors.Include(TComError::ceFrame);
  if (seen(counters.parity, parityCount_) && reportParity) errors.Include(TComError::ceRxParity);
  if (seen(counters.overrun, overrunCount_)) errors.Include(TComError::ceOverrun);
  if (seen(counters.brk, breakCount_)) errors.Include(TComError::ceBreak);
  if (seen(counters.buf_overrun, bufferOverrunCount_)) errors.Include(TComError::ceRxOver);
  return 0;
}

int SerialDevice::AbortPending() const { return handle_.IsValid() ? 0 : EBADF; }

int SerialDevice::Purge() const { return ::tcflush(FdOf(handle_), TCIOFLUSH) == 0 ? 0 : errno; }

}  // namespace helvanta
