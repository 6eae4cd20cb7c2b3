#include <sys/ioctl.h>

#include <array>
#include <utility>

#include "serial/termios_from_dcb_posix.hpp"

namespace helvanta {
namespace {

constexpr std::array<std::pair<std::uint32_t, speed_t>, 24> kSpeeds = {{
    {50, B50},         {75, B75},         {110, B110},         {134, B134},         {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {2000000, B2000000},
}};

std::optional<speed_t> SpeedOf(std::uint32_t rate) {
  for (const auto& [value, speed] : kSpeeds) {
    if (value == rate) return speed;
  }
  return std::nullopt;
}

}  // namespace

std::optional<termios> DcbToTermios(const Dcb& dcb, const termios& base) {
  const std::optional<speed_t> speed = SpeedOf(dcb.BaudRate);
  if (!speed) return std::nullopt;

  termios t = base;
  // Raw bytes both ways: no line editing, no signals, no translation, no echo.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                                      INPCK | IGNPAR | IUCLC | IMAXBEL);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
  // The line has no carrier to wait for, and closing must not drop DTR behind our back.
  t.c_cflag |= CLOCAL | CREAD;

  switch (dcb.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return std::nullopt;
  }
  switch (dcb.Parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: return std::nullopt;
  }
  // Received parity is checked only on request; unchecked, bytes arrive as received.
  if (dcb.fParity != 0) t.c_iflag |= INPCK;
  switch (dcb.StopBits) {
    case 0: break;
    case 1:  // one and a half: the driver uses it for 5 data bits when CSTOPB is set
    case 2: t.c_cflag |= CSTOPB; break;
    default: return std::nullopt;
  }
  if (dcb.fOutxCtsFlow != 0 || dcb.fRtsControl == 2) t.c_cflag |= CRTSCTS;
  if (dcb.fOutX != 0) t.c_iflag |= IXON;
  if (dcb.fInX != 0) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, *speed);
  cfsetospeed(&t, *speed);
  return t;
}

ModemLineChange ModemLinesFromDcb(const Dcb& dcb) {
  ModemLineChange change;
  // Handshake on DTR has no driver support here; the line is held active instead.
  (dcb.fDtrControl == 0 ? change.lower : change.raise) |= TIOCM_DTR;
  // Under RTS handshake the driver drives RTS itself; toggle keeps it inactive while idle.
  (dcb.fRtsControl == 1 || dcb.fRtsControl == 2 ? change.raise : change.lower) |= TIOCM_RTS;
  return change;
}

}  // namespace helvanta
