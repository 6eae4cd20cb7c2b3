#include "year/line_end.hpp"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "sim/line_posix.hpp"

namespace helvanta::year {

struct TLineEnd::Line {
  sim::SerialLine serial;
};

TLineEnd::TLineEnd() = default;

TLineEnd::~TLineEnd() = default;

void TLineEnd::Connect() { line_ = std::make_unique<Line>(Line{sim::SerialLine::OpenPseudoTerminal()}); }

void TLineEnd::HangUp() { line_.reset(); }

bool TLineEnd::Connected() const { return line_ != nullptr; }

std::string TLineEnd::DevicePath() const { return line_ ? line_->serial.Path() : std::string(); }

std::string TLineEnd::TakeWritten() {
  std::string bytes;
  if (!line_) return bytes;
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(line_->serial.Fd(), buffer, sizeof buffer);
    if (n > 0) {
      bytes.append(buffer, static_cast<std::size_t>(n));
      // Each read of an empty pseudo-terminal waits for the kernel's buffer work, so one
      // that did not fill the buffer is not followed by another.
      if (static_cast<std::size_t>(n) < sizeof buffer) return bytes;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // EAGAIN: nothing more now (the master is non-blocking).
    if (n < 0 && errno != EAGAIN) throw std::system_error(errno, std::generic_category(), "reading the line failed");
    return bytes;
  }
}

}  // namespace helvanta::year
