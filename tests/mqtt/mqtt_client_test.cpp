// The connection thread against a real broker: what it publishes, and how it reports
// refusals, TLS and name failures, and a broker that dies and comes back.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include <thread>

#include "mqtt/mqtt_client.hpp"
#include "mqtt/test_broker.hpp"

namespace helvanta::testing {
namespace {

MqttConnectionSettings Plain(const TestBroker& broker) {
  MqttConnectionSettings s;
  s.host = "127.0.0.1";
  s.port = broker.port;
  s.user = TestBroker::kUser;
  s.password = TestBroker::kPassword;
  s.clientId = "helvanta-test";
  s.baseTopic = "solar/roof";
  s.discovery = {{"ha/sensor/helvanta-test/a/config", "{\"a\":1}"}, {"ha/sensor/helvanta-test/b/config", "{}"}};
  return s;
}

// Collects the client's reports as they come.
struct Reports {
  explicit Reports(TMqttClient& c) : client(c) {}
  bool WaitFor(MqttReportKind kind, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return Eventually([&] { return Count(kind) > 0; }, timeout);
  }
  int Count(MqttReportKind kind) {
    Take();
    int n = 0;
    for (const MqttClientReport& r : all) n += r.kind == kind ? 1 : 0;
    return n;
  }
  std::string Detail(MqttReportKind kind) {
    Take();
    for (const MqttClientReport& r : all) {
      if (r.kind == kind) return r.detail;
    }
    return {};
  }
  void Take() {
    for (MqttClientReport& r : client.TakeReports()) all.push_back(std::move(r));
  }
  TMqttClient& client;
  std::vector<MqttClientReport> all;
};

int CountConfigs(const std::vector<ReceivedMessage>& messages, bool retainedOnly) {
  int n = 0;
  for (const ReceivedMessage& m : messages) n += (m.retained || !retainedOnly) && m.topic.ends_with("/config") ? 1 : 0;
  return n;
}

TEST(MqttClient, PublishesStatusConfigsAndTheNewestStateAndSaysOfflineWhenItEnds) {
  TestBroker broker;
  TestSubscriber early(broker.port);
  {
    TMqttClient client(Plain(broker));
    Reports reports(client);
    ASSERT_TRUE(reports.WaitFor(MqttReportKind::kConnected));
    EXPECT_EQ(reports.Detail(MqttReportKind::kConnected), "127.0.0.1:" + std::to_string(broker.port));
    client.OfferState("{\"n\":1}");
    client.OfferState("{\"n\":2}");
    ASSERT_TRUE(early.WaitForPayload("solar/roof/state", "{\"n\":2}"));
    // Whoever subscribes later still finds the status and the configs.
    TestSubscriber late(broker.port);
    ASSERT_TRUE(late.WaitFor([](const auto& m) { return CountConfigs(m, true) == 2; }));
    ASSERT_TRUE(late.WaitForPayload("solar/roof/status", "online"));
    EXPECT_EQ(late.Messages().front().retained, true);
  }
  EXPECT_TRUE(early.WaitForPayload("solar/roof/status", "offline"));
}

TEST(MqttClient, ReportsALostBrokerOnceAndSendsEverythingAgainWhenItIsBack) {
  TestBroker broker;
  TMqttClient client(Plain(broker));
  Reports reports(client);
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kConnected));
  client.OfferState("{\"n\":7}");
  broker.Kill();
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kFailed));
  EXPECT_NE(reports.Detail(MqttReportKind::kFailed).find("connection lost"), std::string::npos);
  broker.Start();
  TestSubscriber subscriber(broker.port);
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kRecovered, std::chrono::seconds(20)));
  EXPECT_TRUE(subscriber.WaitForPayload("solar/roof/state", "{\"n\":7}"));
  EXPECT_TRUE(subscriber.WaitForPayload("solar/roof/status", "online"));
  EXPECT_TRUE(subscriber.WaitFor([](const auto& m) { return CountConfigs(m, false) == 2; }));
  EXPECT_EQ(reports.Count(MqttReportKind::kFailed), 1);
}

// A broker of one connection that takes it and then ends it as MQTT 5 says a session taken
// over by another client with the same id is ended. (Debian's mosquitto 2.0.11 closes the
// socket before its DISCONNECT is out, so the real one cannot show this.)
class TakenOverBroker {
 public:
  TakenOverBroker() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener_, 1) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      throw std::runtime_error("cannot listen");
    }
    port = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TakenOverBroker() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }
  int port = 0;

 private:
  void Serve() const {
    const int connection = accept(listener_, nullptr, nullptr);
    if (connection < 0) return;
    char buffer[4096];
    if (recv(connection, buffer, sizeof buffer, 0) > 0) {
      // CONNACK: accepted, no properties; then DISCONNECT: 0x8E session taken over.
      const char answer[] = {0x20, 0x03, 0x00, 0x00, 0x00, static_cast<char>(0xE0), 0x02, static_cast<char>(0x8E),
                             0x00};
      send(connection, answer, sizeof answer, MSG_NOSIGNAL);
      while (recv(connection, buffer, sizeof buffer, 0) > 0) {
      }
    }
    close(connection);
  }
  int listener_ = -1;
  std::thread thread_;
};

TEST(MqttClient, AnotherClientWithTheSameIdIsNamedAsTheCause) {
  TakenOverBroker broker;
  MqttConnectionSettings settings;
  settings.host = "127.0.0.1";
  settings.port = broker.port;
  settings.clientId = "helvanta-test";
  settings.baseTopic = "solar";
  TMqttClient client(settings);
  Reports reports(client);
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kFailed));
  EXPECT_EQ(reports.Detail(MqttReportKind::kFailed),
            "127.0.0.1:" + std::to_string(broker.port) +
                ": connection lost: another client with the same id (helvanta-test) connected to the broker");
}

TEST(MqttClient, AWrongPasswordIsReportedOnceAndTheLoginThatWorksAgainToo) {
  TestBroker broker;
  MqttConnectionSettings settings = Plain(broker);
  settings.password = "wrong";
  TMqttClient client(settings);
  Reports reports(client);
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kFailed));
  EXPECT_NE(reports.Detail(MqttReportKind::kFailed).find("not authorised"), std::string::npos)
      << reports.Detail(MqttReportKind::kFailed);
  // Retries after 1 and 2 s stay quiet.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (client.FailedAttempts() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_GE(client.FailedAttempts(), 3u);
  EXPECT_EQ(reports.Count(MqttReportKind::kFailed), 1);
  EXPECT_EQ(reports.Count(MqttReportKind::kStillFailing), 0);
  broker.SetPassword("wrong");
  broker.Signal(SIGHUP);  // reloads the password file
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kRecovered, std::chrono::seconds(15)));
  EXPECT_EQ(reports.Count(MqttReportKind::kConnected), 0);
}

TEST(MqttClient, ConnectionFailuresNameTheirReason) {
  TestBroker broker;
  struct Case {
    std::string host;
    int port;
    std::string caFile;
    MqttReportKind expected;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"127.0.0.1", broker.tlsPort, broker.caFile, MqttReportKind::kConnected, ""},
      {"127.0.0.1", broker.tlsPort, broker.otherCaFile, MqttReportKind::kFailed, "certificate verify failed"},
      {"127.0.0.1", broker.port, broker.caFile, MqttReportKind::kFailed, ""},
      {"helvanta-broker.invalid", broker.port, "", MqttReportKind::kFailed, "does not resolve"},
      {"no such host", broker.port, "", MqttReportKind::kFailed, "does not resolve"},
  };
  for (const Case& c : cases) {
    MqttConnectionSettings settings = Plain(broker);
    settings.host = c.host;
    settings.port = c.port;
    settings.caFile = c.caFile;
    TMqttClient client(settings);
    Reports reports(client);
    ASSERT_TRUE(reports.WaitFor(c.expected)) << c.host << ":" << c.port << " " << c.caFile;
    EXPECT_NE(reports.Detail(c.expected).find(c.reason), std::string::npos) << reports.Detail(c.expected);
  }
  // No broker at all on the port.
  broker.Kill();
  TMqttClient client(Plain(broker));
  Reports reports(client);
  ASSERT_TRUE(reports.WaitFor(MqttReportKind::kFailed));
  EXPECT_NE(reports.Detail(MqttReportKind::kFailed).find("refused"), std::string::npos)
      << reports.Detail(MqttReportKind::kFailed);
}

}  // namespace
}  // namespace helvanta::testing
