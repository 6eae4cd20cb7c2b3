#include <poll.h>
#include <time.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "serial/comport.hpp"
#include "support/main_queue_posix.hpp"
#include "support/pty_pair_posix.hpp"

namespace helvanta {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ServeMainQueue;
using testing::ServeMainQueueFor;

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class ReceiveOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << "no pseudo-terminal";
    port_.SetPort(pty_.SlavePath());
    link_.OnRxBuf = [this](TCustomComPort* sender, const char* bytes, int count) {
      EXPECT_EQ(sender, &port_);
      received_.append(bytes, static_cast<std::size_t>(count));
      ++deliveries_;
    };
  }

  void TearDown() override {
    port_.Close();
    for (TComLink* link : registered_) port_.UnRegisterLink(link);
  }

  void Link(TComLink* link) {
    port_.RegisterLink(link);
    registered_.push_back(link);
  }

  bool Received(const std::string& what) {
    return ServeMainQueue([&] { return received_.size() >= what.size(); }) && received_ == what;
  }

  PtyPair pty_;
  TComPort port_;
  TComLink link_;
  TComLink second_;
  std::vector<TComLink*> registered_;
  std::string received_;
  int deliveries_ = 0;
};

TEST_F(ReceiveOnPty, EveryReceivingLinkGetsTheSameBytesInRegistrationOrder) {
  std::vector<std::string> order;
  std::string portSaw;
  TComLink& second = second_;
  second.OnRxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    order.push_back("second:" + std::string(bytes, static_cast<std::size_t>(count)));
  };
  link_.OnRxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    received_.append(bytes, static_cast<std::size_t>(count));
    order.push_back("first:" + std::string(bytes, static_cast<std::size_t>(count)));
  };
  port_.OnRxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    portSaw.append(bytes, static_cast<std::size_t>(count));
    order.push_back("port");
  };
  int rxCharCalls = 0;
  port_.OnRxChar = [&](TCustomComPort*, int) { ++rxCharCalls; };
  Link(&link_);
  Link(&second);
  port_.Open();

  pty_.Send("hello");
  ASSERT_TRUE(Received("hello"));
  ASSERT_EQ(order.size(), 3u);  // one read, all five bytes at once
  EXPECT_EQ(order[0], "port");
  EXPECT_EQ(order[1], "first:hello");
  EXPECT_EQ(order[2], "second:hello");
  EXPECT_EQ(portSaw, "hello");
  EXPECT_EQ(rxCharCalls, 0);  // the bytes were read
  EXPECT_EQ(port_.InputCount(), 0);
  port_.Close();  // before the handlers' captures go
}

TEST_F(ReceiveOnPty, CloseRunsADeliveryThatIsAlreadyQueued) {
  Link(&link_);
  port_.Open();
  pty_.Send("late");
  ASSERT_TRUE(testing::DeliveryQueued(3000ms));
  port_.Close();  // must not return before the queued delivery has run
  EXPECT_EQ(received_, "late");
  EXPECT_FALSE(port_.Connected());
}

TEST_F(ReceiveOnPty, ErrorInADeliveryStopsReceivingUntilReopened) {
  bool fail = true;
  link_.OnRxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    received_.append(bytes, static_cast<std::size_t>(count));
    ++deliveries_;
    if (fail) throw std::runtime_error("packet handler failed");
  };
  Link(&link_);
  port_.Open();
  pty_.Send("one");
  ASSERT_TRUE(Received("one"));
  fail = false;

  pty_.Send("two");
  ServeMainQueueFor(300ms);
  EXPECT_EQ(deliveries_, 1);  // the thread has ended quietly
  EXPECT_TRUE(port_.Connected());
  EXPECT_EQ(port_.WriteStr("w"), 1);  // the port itself still works

  port_.Close();
  received_.clear();
  port_.Open();
  pty_.Send("three");
  EXPECT_TRUE(Received("three")) << received_;
}

TEST_F(ReceiveOnPty, NoEventsMeansNoThreadAndNothingReceived) {
  Link(&link_);
  port_.SetEvents({});
  port_.Open();
  EXPECT_EQ(port_.WriteStr("out"), 3);
  EXPECT_EQ(pty_.Receive(3), "out");
  pty_.Send("in");
  ServeMainQueueFor(200ms);
  EXPECT_EQ(deliveries_, 0);
  EXPECT_EQ(port_.InputCount(), 2);  // still waiting in the driver
}

TEST_F(ReceiveOnPty, UnreadBytesGoToOnRxCharWithoutKeepingTheThreadBusy) {
  std::vector<int> counts;
  port_.OnRxChar = [&](TCustomComPort*, int count) { counts.push_back(count); };  // does not read
  port_.Open();

  const double cpuBefore = ProcessCpuSeconds();
  pty_.Send("abcde");
  ServeMainQueueFor(500ms);
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  ASSERT_EQ(counts.size(), 1u);  // the same waiting bytes are not reported again and again
  EXPECT_EQ(counts[0], 5);
  EXPECT_LT(cpu, 0.1);

  pty_.Send("fg");  // new bytes are reported, with all that waits
  ASSERT_TRUE(ServeMainQueue([&] { return counts.size() == 2; }));
  EXPECT_EQ(counts[1], 7);

  // Reading in the handler lets the next bytes come through at once.
  port_.OnRxChar = [&](TCustomComPort* sender, int count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    received_.append(bytes.data(), static_cast<std::size_t>(sender->Read(bytes.data(), count)));
  };
  pty_.Send("h");
  ASSERT_TRUE(Received("abcdefgh"));
}

TEST_F(ReceiveOnPty, WithoutRxCharInEventsNothingIsReported) {
  int calls = 0;
  port_.OnRxChar = [&](TCustomComPort*, int) { ++calls; };
  Link(&link_);
  port_.SetEvents(TComEvents{TComEvent::evTxEmpty, TComEvent::evCTS});
  port_.Open();
  const double cpuBefore = ProcessCpuSeconds();
  pty_.Send("zz");
  ServeMainQueueFor(300ms);
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(deliveries_, 0);
}

TEST_F(ReceiveOnPty, HangUpOfTheOtherEndLeavesThePortOpenAndTheThreadAsleep) {
  Link(&link_);
  port_.Open();
  pty_.Send("last");
  ASSERT_TRUE(Received("last"));

  pty_.CloseMaster();
  ServeMainQueueFor(100ms);  // let the thread see the hang-up
  const double cpuBefore = ProcessCpuSeconds();
  ServeMainQueueFor(1000ms);
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  EXPECT_LT(cpu, 0.05);
  EXPECT_TRUE(port_.Connected());
  EXPECT_EQ(deliveries_, 1);

  try {
    port_.WriteStr("x");
    FAIL() << "write after hang-up succeeded";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 2);
    EXPECT_EQ(e.WinCode(), EIO);
  }
  port_.Close();
  EXPECT_FALSE(port_.Connected());
}

TEST_F(ReceiveOnPty, EventsOnTheEventThreadWithoutSynchronisation) {
  std::atomic<int> calls{0};
  std::string bytesSeen;
  link_.OnRxBuf = [&](TCustomComPort*, const char* bytes, int count) {
    bytesSeen.assign(bytes, static_cast<std::size_t>(count));
    ++calls;
  };
  Link(&link_);
  port_.SetSyncMethod(TSyncMethod::smNone);
  port_.Open();
  pty_.Send("direct");
  // Nothing is served here: the delivery runs on the event thread itself.
  for (int i = 0; i < 300 && calls.load() == 0; ++i) ::poll(nullptr, 0, 10);
  EXPECT_EQ(calls.load(), 1);
  port_.Close();  // joins the thread, which orders its writes before this read
  EXPECT_EQ(bytesSeen, "direct");
}

}  // namespace
}  // namespace helvanta
