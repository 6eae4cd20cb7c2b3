// The built program as a process: its last will when it is killed, and -mqtt-forget.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "mqtt/test_broker.hpp"
#include "support/file_bytes.hpp"
#include "support/pty_pair_posix.hpp"
#include "support/spawn_posix.hpp"

namespace helvanta::testing {
namespace {

TEST(MqttProcess, AKilledServiceIsOfflineByItsLastWillAndForgetTakesTheSensorsAway) {
  TestBroker broker;
  TempFolder folder;
  PtyPair pty;
  const std::string program = folder.File("helvanta");
  std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", program);
  std::filesystem::create_directory(folder.File("Data"));
  folder.WriteFile("Template.csv", "%date%,%time%,%1%\r\n");
  folder.WriteFile("Helvanta.ini", "[Data Logging]\nComPort=COM1\nFrom=00:00:00\nTill=23:59:59\nTemplateFile=" +
                                       folder.File("Template.csv") + "\nOutputFolder=" + folder.File("Data") +
                                       "\nReceivePseudoData=1\n[Ports]\nCOM1=" + pty.SlavePath() +
                                       "\n[MQTT]\nHost=127.0.0.1\nPort=" + std::to_string(broker.port) +
                                       "\nUser=helvanta\nPassword=secret\nClientId=proc\n");
  TestSubscriber subscriber(broker.port);
  const pid_t service = SpawnWithOutput({program, "-service"}, folder.File("service.log"));
  ASSERT_GT(service, 0);
  const auto configs = [](const std::vector<ReceivedMessage>& messages) {
    int n = 0;
    for (const ReceivedMessage& m : messages) n += m.topic.ends_with("/config") && !m.payload.empty() ? 1 : 0;
    return n;
  };
  const bool published = subscriber.WaitForPayload("helvanta/status", "online") &&
                         subscriber.WaitFor([&](const auto& m) { return configs(m) == 34; });
  kill(service, SIGKILL);
  WaitExit(service);
  ASSERT_TRUE(published) << ReadBytes(folder.File("service.log"));
  EXPECT_TRUE(subscriber.WaitForPayload("helvanta/status", "offline"));
  EXPECT_EQ(WaitExit(SpawnWithOutput({program, "-mqtt-forget"}, folder.File("forget.log"))), 0)
      << ReadBytes(folder.File("forget.log"));
  EXPECT_NE(ReadBytes(folder.File("forget.log")).find("Removed 34 entities"), std::string::npos);
  TestSubscriber after(broker.port);
  ASSERT_TRUE(after.WaitForPayload("helvanta/status", "offline"));
  EXPECT_EQ(configs(after.Messages()), 0);
}

}  // namespace
}  // namespace helvanta::testing
