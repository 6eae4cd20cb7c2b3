#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"
#include "support/main_queue_posix.hpp"
#include "support/pty_pair_posix.hpp"

namespace helvanta {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ServeMainQueue;
using testing::ServeMainQueueFor;

const std::string kStx(1, '\x02');

// An answer as the inverter sends it: STX and 12 characters.
std::string Answer(const std::string& word) { return kStx + "0053008E" + word; }

// The port and framer as both hosts set them up, on the slave of a pseudo-terminal.
class PacketsOverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << "no pseudo-terminal";
    port_.SetPort(pty_.SlavePath());
    port_.SetBaudRate(TBaudRate::br1200);
    port_.Parity().SetBits(TParityBits::prEven);
    framer_.SetStartString(kStx);
    framer_.SetSize(13);
    framer_.SetComPort(&port_);
    framer_.OnPacket = [this](TComDataPacket*, const std::string& packet) { packets_.push_back(packet); };
    port_.Open();
  }

  void TearDown() override {
    port_.Close();
    framer_.SetComPort(nullptr);
  }

  bool PacketsArrive(std::size_t count) {
    return ServeMainQueue([&] { return packets_.size() >= count; });
  }

  // Sends the bytes in pieces, each delivered to the framer before the next is sent.
  void SendInChunks(const std::string& bytes, std::size_t chunk) {
    int received = 0;
    TComLink counter;
    counter.OnRxBuf = [&](TCustomComPort*, const char*, int count) { received += count; };
    port_.RegisterLink(&counter);
    for (std::size_t pos = 0; pos < bytes.size(); pos += chunk) {
      const std::string piece = bytes.substr(pos, chunk);
      pty_.Send(piece);
      const int wanted = static_cast<int>(pos + piece.size());
      ASSERT_TRUE(ServeMainQueue([&] { return received >= wanted; }));
    }
    port_.UnRegisterLink(&counter);
  }

  PtyPair pty_;
  TComPort port_;
  TComDataPacket framer_;
  std::vector<std::string> packets_;
};

TEST_F(PacketsOverPty, AnAnswerInOneTwoOrThirteenChunksIsOnePacket) {
  for (const std::size_t chunk : {std::size_t{13}, std::size_t{7}, std::size_t{1}}) {
    packets_.clear();
    SendInChunks(Answer("1A2B"), chunk);
    ASSERT_TRUE(PacketsArrive(1)) << chunk;
    ServeMainQueueFor(50ms);
    ASSERT_EQ(packets_.size(), 1u) << chunk;
    EXPECT_EQ(packets_[0], "0053008E1A2B") << chunk;
  }
}

TEST_F(PacketsOverPty, TwoAnswersInOneChunkAreTwoPacketsInOrderAndNoiseIsDropped) {
  pty_.Send("\x15noise" + Answer("0001") + Answer("0002"));
  ASSERT_TRUE(PacketsArrive(2));
  EXPECT_EQ(packets_, (std::vector<std::string>{"0053008E0001", "0053008E0002"}));
}

TEST_F(PacketsOverPty, ErrorInOnPacketStopsLaterAnswersUntilReopened) {
  framer_.OnPacket = [this](TComDataPacket*, const std::string& packet) {
    packets_.push_back(packet);
    throw std::runtime_error("value out of range");
  };
  pty_.Send(Answer("0001"));
  ASSERT_TRUE(PacketsArrive(1));
  framer_.OnPacket = [this](TComDataPacket*, const std::string& packet) { packets_.push_back(packet); };

  pty_.Send(Answer("0002"));
  ServeMainQueueFor(300ms);
  EXPECT_EQ(packets_.size(), 1u);
  EXPECT_TRUE(port_.Connected());

  port_.Close();
  port_.Open();
  pty_.Send(Answer("0003"));
  ASSERT_TRUE(PacketsArrive(2));
  EXPECT_EQ(packets_.back(), "0053008E0003");
}

// A line delivers an answer byte by byte; the port lets the bytes gather until the framer
// can end a packet, so each packet costs at most one delivery and still comes with its
// last byte. A busy machine may hold the port's thread back until more bytes wait, which
// only ever merges deliveries: the packets, their order and the upper bounds hold on any
// machine, and an answer alone is one delivery whatever the scheduling, as no byte is
// handed over before its thirteenth.
TEST_F(PacketsOverPty, BytesGatherUntilThePacketCanEnd) {
  struct Case {
    const char* name;
    std::string line;
    std::string stop;  // a stop string makes every byte a possible end
    int least;
    int most;
    std::vector<std::string> packets;
  };
  const std::vector<Case> cases = {
      {"answer", Answer("1A2B"), "", 1, 1, {"0053008E1A2B"}},
      {"noise first", "xy" + Answer("1A2B"), "", 1, 2, {"0053008E1A2B"}},
      {"two answers", Answer("0001") + Answer("0002"), "", 1, 2, {"0053008E0001", "0053008E0002"}},
      {"stop string", Answer("1A2B") + "\x03", "\x03", 1, 14, {"0053008E1A2B"}},
  };
  for (const Case& c : cases) {
    packets_.clear();
    framer_.SetStopString(c.stop);
    int deliveries = 0;
    TComLink counter;
    counter.OnRxBuf = [&](TCustomComPort*, const char*, int) { ++deliveries; };
    counter.BytesWanted = [] { return 255; };  // counts without holding anything back
    port_.RegisterLink(&counter);
    for (std::size_t i = 0; i < c.line.size(); ++i) {
      pty_.Send(c.line.substr(i, 1));
      ServeMainQueueFor(2ms);
    }
    EXPECT_TRUE(PacketsArrive(c.packets.size())) << c.name;
    ServeMainQueueFor(20ms);  // a delivery too many would come now
    port_.UnRegisterLink(&counter);
    EXPECT_GE(deliveries, c.least) << c.name;
    EXPECT_LE(deliveries, c.most) << c.name;
    EXPECT_EQ(packets_, c.packets) << c.name;
  }
}

}  // namespace
}  // namespace helvanta
