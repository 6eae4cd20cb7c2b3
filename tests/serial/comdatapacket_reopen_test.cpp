#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"
#include "support/main_queue_posix.hpp"
#include "support/pty_pair_posix.hpp"

namespace helvanta {
namespace {

using testing::PtyPair;
using testing::ServeMainQueue;

// The framer's buffer belongs to the framer, not to the connection: an answer cut in
// two by a disconnect is completed by the first bytes after the next connect.
TEST(FramerAcrossReopen, APartialAnswerIsCompletedAfterCloseAndOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal";
  TComPort port;
  port.SetPort(pty.SlavePath());
  TComDataPacket framer;
  framer.SetStartString(std::string(1, '\x02'));
  framer.SetSize(13);
  framer.SetComPort(&port);
  std::vector<std::string> packets;
  std::vector<std::string> discards;
  framer.OnPacket = [&](TComDataPacket*, const std::string& packet) { packets.push_back(packet); };
  framer.OnDiscard = [&](TComDataPacket*, const std::string& bytes) { discards.push_back(bytes); };
  int received = 0;
  TComLink counter;
  counter.OnRxBuf = [&](TCustomComPort*, const char*, int count) { received += count; };
  port.RegisterLink(&counter);

  port.Open();
  pty.Send(
      "\x02"
      "0053");
  ASSERT_TRUE(ServeMainQueue([&] { return received >= 5; }));
  port.Close();
  port.Open();
  pty.Send("008E1A2B");
  ASSERT_TRUE(ServeMainQueue([&] { return received >= 13; }));

  EXPECT_EQ(packets, std::vector<std::string>{"0053008E1A2B"});
  EXPECT_TRUE(discards.empty());
  port.Close();
  port.UnRegisterLink(&counter);
  framer.SetComPort(nullptr);
}

}  // namespace
}  // namespace helvanta
