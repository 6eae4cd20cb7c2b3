#include <sys/ioctl.h>
#include <termios.h>

#include <gtest/gtest.h>

#include "serial/termios_from_dcb_posix.hpp"

namespace helvanta {
namespace {

Dcb InverterDcb() {
  Dcb dcb;
  dcb.DCBlength = 28;
  dcb.BaudRate = 1200;
  dcb.fBinary = 1;
  dcb.XonLim = dcb.XoffLim = 256;
  dcb.ByteSize = 8;
  dcb.Parity = 2;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

// Attributes as a fresh terminal might have them: cooked, echoing, hang-up on close.
termios CookedBase() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  t.c_cflag = CS7 | HUPCL | CRTSCTS | PARODD | CSTOPB;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 5;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return t;
}

TEST(DcbToTermios, InverterLineIsRaw1200EightEvenOneWithoutChecks) {
  const auto t = DcbToTermios(InverterDcb(), CookedBase());
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(cfgetospeed(&*t), B1200);
  EXPECT_EQ(cfgetispeed(&*t), B1200);
  EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_NE(t->c_cflag & PARENB, 0u);
  EXPECT_EQ(t->c_cflag & PARODD, 0u);
  EXPECT_EQ(t->c_cflag & CMSPAR, 0u);
  EXPECT_EQ(t->c_cflag & CSTOPB, 0u);
  EXPECT_EQ(t->c_iflag & INPCK, 0u);  // fParity 0: received parity not checked
  EXPECT_EQ(t->c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t->c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(t->c_cflag & HUPCL, 0u);
  EXPECT_EQ(t->c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t->c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t->c_iflag & (ICRNL | ISTRIP | BRKINT), 0u);
  EXPECT_EQ(t->c_oflag & OPOST, 0u);
  EXPECT_EQ(t->c_cc[VMIN], 0);
  EXPECT_EQ(t->c_cc[VTIME], 0);
  EXPECT_EQ(t->c_cc[VSTART], 17);
  EXPECT_EQ(t->c_cc[VSTOP], 19);

  const ModemLineChange lines = ModemLinesFromDcb(InverterDcb());
  EXPECT_EQ(lines.raise, 0);
  EXPECT_EQ(lines.lower, TIOCM_DTR | TIOCM_RTS);
}

TEST(DcbToTermios, ParityStopBitsAndFlowControlCodes) {
  Dcb dcb = InverterDcb();
  dcb.fParity = 1;
  dcb.Parity = 1;
  dcb.StopBits = 2;
  dcb.ByteSize = 5;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  auto t = DcbToTermios(dcb, termios{});
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | PARODD));
  EXPECT_NE(t->c_iflag & INPCK, 0u);
  EXPECT_NE(t->c_cflag & CSTOPB, 0u);
  EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  EXPECT_EQ(t->c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));

  dcb = InverterDcb();
  dcb.Parity = 3;  // mark
  dcb.fRtsControl = 2;
  dcb.fDtrControl = 1;
  t = DcbToTermios(dcb, termios{});
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | PARODD | CMSPAR));
  EXPECT_NE(t->c_cflag & CRTSCTS, 0u);
  const ModemLineChange lines = ModemLinesFromDcb(dcb);
  EXPECT_EQ(lines.raise, TIOCM_DTR | TIOCM_RTS);
  EXPECT_EQ(lines.lower, 0);

  dcb.Parity = 0;
  t = DcbToTermios(dcb, CookedBase());
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->c_cflag & (PARENB | PARODD | CMSPAR), 0u);
}

TEST(DcbToTermios, RefusesWhatTermiosCannotExpress) {
  Dcb dcb = InverterDcb();
  dcb.BaudRate = 14400;  // no speed constant
  EXPECT_FALSE(DcbToTermios(dcb, termios{}).has_value());
  dcb = InverterDcb();
  dcb.ByteSize = 9;
  EXPECT_FALSE(DcbToTermios(dcb, termios{}).has_value());
  dcb = InverterDcb();
  dcb.Parity = 5;
  EXPECT_FALSE(DcbToTermios(dcb, termios{}).has_value());
}

}  // namespace
}  // namespace helvanta
