#include "mqtt/test_broker.hpp"

#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "support/file_bytes.hpp"
#include "support/spawn_posix.hpp"

namespace helvanta::testing {

namespace {

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    throw std::runtime_error("no free port");
  }
  close(fd);
  return ntohs(address.sin_port);
}

void Run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// Started by root, mosquitto would switch to its own user, who cannot read the test's files.
std::string CurrentUser() {
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr ? entry->pw_name : "root";
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool Eventually(const std::function<bool()>& check, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!check()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TestBroker::TestBroker() {
  const std::string dir = folder_.File("");
  caFile = dir + "ca.crt";
  otherCaFile = dir + "other.crt";
  const std::string ec = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ";
  Run(ec + "-keyout " + dir + "ca.key -out " + caFile + " -subj /CN=HelvantaTestCA");
  Run(ec + "-keyout " + dir + "other.key -out " + otherCaFile + " -subj /CN=OtherCA");
  folder_.WriteFile("san.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
  Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + dir + "server.key -out " + dir +
      "server.csr -subj /CN=localhost");
  Run("openssl x509 -req -in " + dir + "server.csr -CA " + caFile + " -CAkey " + dir +
      "ca.key -CAcreateserial -days 2 " + "-extfile " + dir + "san.ext -out " + dir + "server.crt");
  SetPassword(kPassword);
  port = FreePort();
  tlsPort = FreePort();
  folder_.WriteFile("mosquitto.conf", "persistence false\nuser " + CurrentUser() +
                                          "\nallow_anonymous false\npassword_file " + dir + "passwd\n" + "listener " +
                                          std::to_string(port) + " 127.0.0.1\n" + "listener " +
                                          std::to_string(tlsPort) + " 127.0.0.1\ncafile " + caFile + "\ncertfile " +
                                          dir + "server.crt\nkeyfile " + dir + "server.key\n");
  Start();
}

TestBroker::~TestBroker() {
  if (pid_ > 0) {
    kill(pid_, SIGCONT);
    Kill();
  }
}

void TestBroker::SetPassword(const std::string& password) {
  Run("mosquitto_passwd -c -b " + folder_.File("passwd") + " " + kUser + " " + password);
}

void TestBroker::Start() {
  const std::string config = folder_.File("mosquitto.conf");
  const std::string log = folder_.File("mosquitto.log");
  pid_ = SpawnWithOutput({"/usr/sbin/mosquitto", "-c", config}, log, true);
  if (pid_ < 0) throw std::runtime_error("cannot start mosquitto");
  if (!Eventually([this] { return Accepts(port) && Accepts(tlsPort); })) {
    throw std::runtime_error("mosquitto does not listen: " + ReadBytes(log));
  }
}

void TestBroker::Signal(int signal) { kill(pid_, signal); }

void TestBroker::Kill() {
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

TestSubscriber::TestSubscriber(int port) {
  mosquitto_lib_init();
  client_ = mosquitto_new(nullptr, true, this);
  mosquitto_username_pw_set(client_, TestBroker::kUser, TestBroker::kPassword);
  mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message* m) {
    auto* subscriber = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->messages_.push_back(
        {m->topic, std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
         m->retain});
    subscriber->changed_.notify_all();
  });
  mosquitto_connect_callback_set(client_, [](mosquitto* client, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(client, nullptr, "#", 1);
  });
  mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
    auto* subscriber = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->subscribed_ = true;
    subscriber->changed_.notify_all();
  });
  if (mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS || mosquitto_loop_start(client_) != 0) {
    throw std::runtime_error("the test subscriber cannot connect");
  }
  // Whatever is published from now on reaches the subscriber.
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::seconds(10), [this] { return subscribed_; })) {
    throw std::runtime_error("the test subscriber could not subscribe");
  }
}

TestSubscriber::~TestSubscriber() {
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, true);
  mosquitto_destroy(client_);
}

bool TestSubscriber::WaitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done,
                             std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(messages_); });
}

bool TestSubscriber::WaitForPayload(const std::string& topic, const std::string& payload,
                                    std::chrono::milliseconds timeout) {
  return WaitFor(
      [&](const std::vector<ReceivedMessage>& messages) {
        for (const ReceivedMessage& m : messages) {
          if (m.topic == topic && m.payload == payload) return true;
        }
        return false;
      },
      timeout);
}

std::vector<ReceivedMessage> TestSubscriber::Messages() {
  const std::lock_guard lock(mutex_);
  return messages_;
}

}  // namespace helvanta::testing
