#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"

struct mosquitto;

namespace helvanta::testing {

// Debian's mosquitto on two free loopback ports: a plain listener and a TLS one with a
// certificate for 127.0.0.1 from a CA the fixture makes. Both want user "helvanta".
class TestBroker {
 public:
  static constexpr const char* kUser = "helvanta";
  static constexpr const char* kPassword = "secret";

  TestBroker();
  ~TestBroker();
  TestBroker(const TestBroker&) = delete;
  TestBroker& operator=(const TestBroker&) = delete;

  void Start();
  void Signal(int signal);  // SIGKILL, SIGSTOP, SIGCONT, SIGHUP (reloads the password file)
  void Kill();              // SIGKILL and reap
  void SetPassword(const std::string& password);

  int port = 0;
  int tlsPort = 0;
  std::string caFile;       // the CA that signed the broker's certificate
  std::string otherCaFile;  // a CA that did not

 private:
  TempFolder folder_;
  pid_t pid_ = -1;
};

struct ReceivedMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// A libmosquitto subscriber to everything on the broker's plain port.
class TestSubscriber {
 public:
  explicit TestSubscriber(int port);
  ~TestSubscriber();
  TestSubscriber(const TestSubscriber&) = delete;
  TestSubscriber& operator=(const TestSubscriber&) = delete;

  // Waits (at most timeout) until the messages so far satisfy done; returns whether they did.
  bool WaitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Waits for a message with this topic and payload.
  bool WaitForPayload(const std::string& topic, const std::string& payload,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<ReceivedMessage> Messages();

 private:
  mosquitto* client_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ReceivedMessage> messages_;
  bool subscribed_ = false;
};

// Polls check every 20 ms until it holds or the timeout passes.
bool Eventually(const std::function<bool()>& check, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace helvanta::testing
