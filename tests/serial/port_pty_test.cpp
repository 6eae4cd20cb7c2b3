#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "serial/comport.hpp"
#include "support/main_queue_posix.hpp"
#include "support/pty_pair_posix.hpp"

namespace helvanta {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;

class PortOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << "no pseudo-terminal";
    port_.SetPort(pty_.SlavePath());
    port_.SetBaudRate(TBaudRate::br1200);
    port_.SetDataBits(TDataBits::dbEight);
    port_.Parity().SetBits(TParityBits::prEven);
    port_.SetStopBits(TStopBits::sbOneStopBit);
  }

  termios LineSettings() const {
    termios t{};
    // The master reports the attributes of its slave.
    EXPECT_EQ(::tcgetattr(pty_.Master(), &t), 0);
    return t;
  }

  speed_t OutputSpeed() const {
    const termios t = LineSettings();
    return cfgetospeed(&t);
  }

  PtyPair pty_;
  TComPort port_;
};

TEST_F(PortOnPty, OpenAppliesTheLineSettingsAndCloseReleasesTheDevice) {
  int opens = 0;
  int closes = 0;
  bool connSeen = false;
  TComLink link;
  link.OnConn = [&](TCustomComPort*, bool on) { connSeen = on; };
  port_.RegisterLink(&link);
  port_.OnAfterOpen = [&](TCustomComPort*) { ++opens; };
  port_.OnAfterClose = [&](TCustomComPort*) { ++closes; };

  port_.Open();
  ASSERT_TRUE(port_.Connected());
  EXPECT_TRUE(connSeen);
  const termios t = LineSettings();
  EXPECT_EQ(cfgetospeed(&t), B1200);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_TRUE(port_.Signals().Empty());  // a pseudo-terminal has no modem lines

  port_.Open();  // already open: nothing happens
  EXPECT_EQ(opens, 1);

  // A change while open is applied at once; inside an update only at its end.
  port_.SetBaudRate(TBaudRate::br9600);
  EXPECT_EQ(OutputSpeed(), B9600);
  port_.BeginUpdate();
  port_.SetBaudRate(TBaudRate::br2400);
  EXPECT_EQ(OutputSpeed(), B9600);
  port_.EndUpdate();
  EXPECT_EQ(OutputSpeed(), B2400);

  // A rate the device cannot take is refused; the property keeps the new value.
  try {
    port_.SetBaudRate(TBaudRate::br14400);
    FAIL() << "no error 7";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 7);
    EXPECT_EQ(e.WinCode(), EINVAL);
  }
  EXPECT_EQ(port_.BaudRate(), TBaudRate::br14400);
  EXPECT_TRUE(port_.Connected());

  port_.Close();
  EXPECT_FALSE(port_.Connected());
  EXPECT_FALSE(connSeen);
  port_.Close();  // already closed: nothing happens
  EXPECT_EQ(closes, 1);

  // The device is free again.
  port_.SetBaudRate(TBaudRate::br1200);
  port_.Open();
  EXPECT_TRUE(port_.Connected());
  port_.Close();
  port_.UnRegisterLink(&link);
}

TEST_F(PortOnPty, SecondOpenOfTheSameDeviceFailsWithError1EvenForRoot) {
  port_.Open();
  TComPort second;
  second.SetPort(pty_.SlavePath());
  try {
    second.Open();
    FAIL() << "second open succeeded";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 1);
    // Refused by TIOCEXCL (EBUSY), or by the lock when running as root.
    EXPECT_TRUE(e.WinCode() == EBUSY || e.WinCode() == EWOULDBLOCK) << e.WinCode();
    EXPECT_EQ(std::string(e.what()), "Unable to open com port (" + pty_.SlavePath() +
                                         ": in use by another program, error " + std::to_string(e.WinCode()) + ")");
  }
  EXPECT_FALSE(second.Connected());
  EXPECT_TRUE(port_.Connected());
}

TEST_F(PortOnPty, CloseLiftsTheExclusiveFlagSoOrdinaryUsersCanOpenAgain) {
  port_.Open();
  const int probe = ::open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(probe, 0) << "root passes the exclusive flag";
  int exclusive = 0;
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_NE(exclusive, 0);
  port_.Close();
  // The terminal outlives the port while its far end stays open.
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(probe);
}

TEST_F(PortOnPty, ReopensWithEvenParityAfterAClose) {
  // A pseudo-terminal drops the parity it was given; the next open must not take the
  // dropped flag for a refusal.
  for (int round = 0; round < 3; ++round) {
    ASSERT_NO_THROW(port_.Open()) << "round " << round;
    port_.Close();
  }
}

TEST_F(PortOnPty, OpenOnAMissingNameFailsAndStaysClosed) {
  bool beforeOpen = false;
  bool afterOpen = false;
  port_.OnBeforeOpen = [&](TCustomComPort*) { beforeOpen = true; };
  port_.OnAfterOpen = [&](TCustomComPort*) { afterOpen = true; };
  port_.SetPort("/dev/helvanta-no-such-port");
  try {
    port_.Open();
    FAIL() << "no error";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_EQ(e.WinCode(), ENOENT);
    EXPECT_EQ(std::string(e.what()),
              "Unable to open com port (/dev/helvanta-no-such-port: No such file or directory, error 2)");
  }
  EXPECT_FALSE(port_.Connected());
  EXPECT_TRUE(beforeOpen);
  EXPECT_FALSE(afterOpen);
}

TEST_F(PortOnPty, WritesReachTheOtherEnd) {
  std::string sent;
  bool txOn = false;
  TComLink link;
  link.OnTxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    sent.append(bytes, static_cast<std::size_t>(count));
  };
  link.OnTx = [&](TCustomComPort*, bool on) { txOn = on; };
  port_.RegisterLink(&link);

  try {
    port_.WriteStr("x");
    FAIL() << "write on a closed port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 2);
    EXPECT_EQ(e.WinCode(), EBADF);
  }

  port_.Open();
  const std::string request(
      "\x02"
      "0053??"
      "0A1B\x03"
      "\x7f\x00",
      13);
  EXPECT_EQ(port_.WriteStr(request), 13);
  EXPECT_EQ(pty_.Receive(13), request);
  EXPECT_EQ(sent, request);
  EXPECT_TRUE(txOn);

  const unsigned char raw[] = {0x00, 0xFF, 0x0D, 0x0A};
  EXPECT_EQ(port_.Write(raw, 4), 4);
  EXPECT_EQ(pty_.Receive(4), std::string("\x00\xFF\x0D\x0A", 4));  // no translation of CR/LF

  EXPECT_EQ(port_.WriteStr(""), 0);
  port_.Close();
  EXPECT_EQ(port_.WriteStr(""), 0);
  port_.UnRegisterLink(&link);
}

TEST_F(PortOnPty, WriteGivesUpWhenItsTimeIsOverAndReturnsTheCountWritten) {
  TComTimeouts timeouts;
  timeouts.SetWriteTotalMultiplier(0);
  timeouts.SetWriteTotalConstant(100);
  port_.SetTimeouts(timeouts);
  port_.Open();
  // Nobody reads the far end, so the pseudo-terminal's buffers fill up.
  const std::string bulk(1 << 20, 'x');
  const auto start = std::chrono::steady_clock::now();
  const int written = port_.WriteStr(bulk);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GT(written, 0);
  EXPECT_LT(written, static_cast<int>(bulk.size()));
  EXPECT_GE(took, 90ms);
  EXPECT_LT(took, 3000ms);
}

TEST_F(PortOnPty, ReadReturnsAtOnceWithWhatIsWaiting) {
  port_.SetEvents({});  // no thread: the test reads itself
  port_.Open();
  char buffer[16];
  EXPECT_EQ(port_.Read(buffer, sizeof buffer), 0);
  pty_.Send("abc");
  ASSERT_TRUE(testing::ServeMainQueue([&] { return port_.InputCount() == 3; }, 2000ms));
  EXPECT_EQ(port_.Read(buffer, sizeof buffer), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(port_.InputCount(), 0);
  EXPECT_TRUE(port_.LastErrors().Empty());
}

TEST_F(PortOnPty, PortChangeReopensOnlyWhenTheNameDiffers) {
  PtyPair other;
  ASSERT_TRUE(other.Ok());
  int opens = 0;
  port_.OnAfterOpen = [&](TCustomComPort*) { ++opens; };

  port_.SetPort(other.SlavePath());  // closed: only stored
  EXPECT_EQ(opens, 0);
  EXPECT_FALSE(port_.Connected());
  port_.SetPort(pty_.SlavePath());
  port_.Open();
  EXPECT_EQ(opens, 1);

  port_.SetPort(pty_.SlavePath());  // same name: nothing
  EXPECT_EQ(opens, 1);

  port_.SetPort(other.SlavePath());  // another name while open: reopened there
  EXPECT_EQ(opens, 2);
  EXPECT_TRUE(port_.Connected());
  port_.WriteStr("hi");
  EXPECT_EQ(other.Receive(2), "hi");

  // Names compare with letter case: a name differing only in case is a change, and
  // here no such device exists.
  std::string upper = other.SlavePath();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_THROW(port_.SetPort(upper), EComPort);
  EXPECT_EQ(port_.Port(), upper);
  EXPECT_FALSE(port_.Connected());
}

TEST_F(PortOnPty, ThreadSettingsAreRefusedWhileOpen) {
  port_.Open();
  try {
    port_.SetSyncMethod(TSyncMethod::smNone);
    FAIL() << "no error 14";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 14);
    EXPECT_EQ(e.WinCode(), -1);
  }
  EXPECT_EQ(port_.SyncMethod(), TSyncMethod::smThreadSync);
  EXPECT_THROW(port_.SetEventThreadPriority(TThreadPriority::tpLower), EComPort);
  EXPECT_EQ(port_.EventThreadPriority(), TThreadPriority::tpNormal);
  port_.SetSyncMethod(TSyncMethod::smThreadSync);  // the value held: nothing happens

  port_.Close();
  port_.SetEventThreadPriority(TThreadPriority::tpLower);
  EXPECT_EQ(port_.EventThreadPriority(), TThreadPriority::tpLower);
  port_.Open();  // the thread starts with the lower priority
  EXPECT_TRUE(port_.Connected());
}

}  // namespace
}  // namespace helvanta
