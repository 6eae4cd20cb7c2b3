// The service with MQTT on: a full cycle of answers, then the record's minute, against a
// real broker; the clock is the test's.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/measurands.hpp"
#include "mqtt/test_broker.hpp"
#include "support/file_bytes.hpp"
#include "support/service_fixture.hpp"

namespace helvanta::testing {
namespace {

TEST_F(ServiceTest, PublishesTheStateAfterAFullCycleAndAtTheRecord) {
  TestBroker broker;
  TestSubscriber subscriber(broker.port);
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=1\r\n");
  folder.WriteFile("Helvanta.ini", ReadBytes(folder.File("Helvanta.ini")) +
                                       "[MQTT]\r\nHost=127.0.0.1\r\nPort=" + std::to_string(broker.port) +
                                       "\r\nUser=helvanta\r\nPasswordFile=" + folder.File("secret") +
                                       "\r\nTopic=pv\r\nClientId=box\r\n");
  folder.WriteFile("secret", std::string(TestBroker::kPassword) + "\n");
  clock.Set(At(2026, 12, 7, 12, 0, 14, 5));
  service->ServiceStart();
  service->Timer1.SetEnabled(false);
  ASSERT_TRUE(subscriber.WaitForPayload("pv/status", "online"));
  ASSERT_TRUE(subscriber.WaitFor([](const std::vector<ReceivedMessage>& messages) {
    int configs = 0;
    for (const ReceivedMessage& m : messages) configs += m.topic.starts_with("homeassistant/sensor/box/") ? 1 : 0;
    return configs == kDisplayRowCount;
  }));
  ASSERT_TRUE(subscriber.WaitFor([](const std::vector<ReceivedMessage>& messages) {
    return std::count_if(messages.begin(), messages.end(), [](const ReceivedMessage& m) {
             return m.topic == "homeassistant/binary_sensor/box/problem/config" ||
                    m.topic == "homeassistant/binary_sensor/box/line/config";
           }) == 2;
  }));

  // Ticks 12:00:15 to 12:00:59 ask for all 45 measurands; the pseudo answer comes at once.
  for (int second = 15; second <= 59; ++second) TickAt(At(2026, 12, 7, 12, 0, second, 5));
  const auto states = [](const std::vector<ReceivedMessage>& messages) {
    std::vector<std::string> payloads;
    for (const ReceivedMessage& m : messages) {
      if (m.topic == "pv/state") payloads.push_back(m.payload);
    }
    return payloads;
  };
  EXPECT_TRUE(states(subscriber.Messages()).empty());
  // 12:01:00: the cycle is complete and the minute's record is written; one state says so.
  TickAt(At(2026, 12, 7, 12, 1, 0, 5));
  ASSERT_TRUE(subscriber.WaitFor([&](const auto& m) { return !states(m).empty(); }));
  const std::string state = states(subscriber.Messages()).front();
  // 08E4 is 2276: 227.60 V, the error state as its text, min:sec with its colon.
  EXPECT_TRUE(state.starts_with("{\"voltage_ac\":227.60,")) << state;
  EXPECT_NE(state.find("\"error_state\":\"08E4\""), std::string::npos) << state;
  EXPECT_NE(state.find("\"workingtime_min_sec\":\"22:76\""), std::string::npos) << state;
  EXPECT_EQ(state.find("null"), std::string::npos) << state;
  EXPECT_NE(state.find("\"time\":\"2026-12-07T12:01:00"), std::string::npos) << state;
  // The pseudo answer's word is in both error registers too.
  EXPECT_NE(state.find("\"problem\":\"ON\",\"line\":\"ON\""), std::string::npos) << state;
  TickAt(At(2026, 12, 7, 12, 1, 1, 5));
  service->ServiceStop();
  EXPECT_TRUE(subscriber.WaitForPayload("pv/status", "offline"));
  ASSERT_EQ(states(subscriber.Messages()).size(), 1u);
  bool connectedEvent = false;
  int errorEvents = 0;
  for (const RecordedEvent& e : eventLog.events) {
    EXPECT_NE(e.type, TEventType::etError) << e.message;
    connectedEvent |= e.type == TEventType::etInformation && e.message.starts_with("MQTT: connected to the broker");
    errorEvents += e.message == "The inverter reports an error: Error specification 08E4, Error state 08E4." ? 1 : 0;
  }
  EXPECT_TRUE(connectedEvent);
  EXPECT_EQ(errorEvents, 1);
}

}  // namespace
}  // namespace helvanta::testing
