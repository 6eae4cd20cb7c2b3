#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "mqtt/mosquitto_library.hpp"
#include "mqtt/mqtt_client.hpp"
#include "mqtt/mqtt_socket_wait.hpp"
#include "runtime/retry_schedule.hpp"

namespace helvanta {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr std::int64_t kFirstGapMs = 1'000;
constexpr std::int64_t kLongestGapMs = 60'000;
// A connection that held this long was a real one: the next loss starts the gaps afresh.
constexpr std::int64_t kSteadyConnectionMs = 60'000;
constexpr std::int64_t kGoodbyeMs = 1'000;
// The longest wait without news: often enough for the keep-alive's ping (the broker waits
// one and a half keep-alives), rare enough to cost nothing while idle.
constexpr int kPollMs = 5'000;

std::int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t UnixSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

struct TMqttClient::Worker {
  enum class Phase { kIdle, kConnecting, kConnected };

  explicit Worker(MqttConnectionSettings s) : settings(std::move(s)) {}

  void Wake() const { wait.Wake(); }

  void Report(MqttReportKind kind, std::string detail) {
    const std::lock_guard lock(mutex);
    reports.push_back({kind, std::move(detail)});
  }

  // --- the connection thread from here on ---

  void Run() {
    TMqttSocketWait::PrepareThread();
    try {
      client = NewMosquittoClient(settings, settings.clientId, this);
    } catch (const EMqttSetup& error) {
      Report(MqttReportKind::kSetupFailed, settings.Where() + ": " + error.what());
      return;
    }
    Mosquitto().will_set(client.get(), settings.StatusTopic().c_str(), 7, "offline", 1, true);
    Mosquitto().connect_callback_set(client.get(),
                                     [](mosquitto*, void* self, int rc) { static_cast<Worker*>(self)->OnConnect(rc); });
    Mosquitto().disconnect_callback_set(client.get(), [](mosquitto*, void* self, int rc) {
      const int savedErrno = errno;
      static_cast<Worker*>(self)->OnDisconnect(rc, savedErrno);
    });
    Mosquitto().log_callback_set(client.get(), [](mosquitto*, void* self, int level, const char* text) {
      if ((level & MOSQ_LOG_ERR) != 0) static_cast<Worker*>(self)->lastLibraryError = text;
    });
    while (!stopping.load()) {
      if (phase == Phase::kIdle && schedule.Due(SteadyMs())) Attempt();
      Serve(phase == Phase::kIdle ? std::min<std::int64_t>(schedule.WaitMs(SteadyMs()), kPollMs) : kPollMs);
      if (phase == Phase::kConnected) SendFreshState();
    }
    SayGoodbye();
    client.reset();
  }

  void Attempt() {
    lastLibraryError.clear();
    phase = Phase::kConnecting;
    errno = 0;
    // Resolves the name here, on this thread; the TCP connection and TLS go on in Serve.
    const int rc = Mosquitto().connect_async(client.get(), settings.host.c_str(), settings.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) Fail(Reason(rc, errno));
  }

  // Waits up to timeoutMs for the socket or a wake-up and lets the library do its part.
  void Serve(std::int64_t timeoutMs) {
    const int sock = Mosquitto().socket(client.get());
    const MqttSocketReady ready = wait.Wait(sock, sock >= 0 && Mosquitto().want_write(client.get()), timeoutMs);
    if (ready.failed) return;
    if (sock >= 0 && ready.readable) Mosquitto().loop_read(client.get(), 1);
    if (Mosquitto().socket(client.get()) >= 0 && ready.writable) Mosquitto().loop_write(client.get(), 1);
    if (Mosquitto().socket(client.get()) >= 0) Mosquitto().loop_misc(client.get());
    // The library closed the socket without a word (a failed TLS handshake says why in its log).
    if (phase != Phase::kIdle && Mosquitto().socket(client.get()) < 0) Fail(Reason(MOSQ_ERR_TLS, 0));
  }

  void OnConnect(int rc) {
    if (rc != 0) {
      Fail(ConnackReason(rc));
      return;
    }
    phase = Phase::kConnected;
    connected.store(true);
    lastSuccessUnix.store(UnixSeconds());
    const bool recovered = schedule.Succeeded(SteadyMs());
    failedAttempts.store(0);
    if (recovered) {
      Report(MqttReportKind::kRecovered, settings.Where());
    } else if (!everConnected) {
      Report(MqttReportKind::kConnected, settings.Where());
    }
    everConnected = true;
    Publish(settings.StatusTopic(), "online", 1, true);
    for (const RetainedMessage& config : settings.discovery) Publish(config.topic, config.payload, 1, true);
    if (!TakeFreshState() && !lastState.empty()) Publish(settings.StateTopic(), lastState, 0, false);
  }

  void OnDisconnect(int rc, int savedErrno) {
    if (phase == Phase::kIdle || stopping.load()) return;
    // Otherwise two copies with one id take turns to push each other off, and only
    // "connection lost" would say so.
    if (rc == MQTT_RC_SESSION_TAKEN_OVER) {
      Fail("another client with the same id (" + settings.clientId + ") connected to the broker");
      return;
    }
    Fail(Reason(rc, savedErrno));
  }

  std::string Reason(int rc, int savedErrno) const {
    if (rc == MOSQ_ERR_TLS) return lastLibraryError.empty() ? MosquittoReason(MOSQ_ERR_CONN_LOST, 0) : lastLibraryError;
    return MosquittoReason(rc, savedErrno);
  }

  void Fail(const std::string& reason) {
    const bool wasConnected = phase == Phase::kConnected;
    phase = Phase::kIdle;
    connected.store(false);
    const std::int64_t now = SteadyMs();
    const std::string detail = settings.Where() + ": " + (wasConnected ? "connection lost: " : "") + reason;
    const FailureReport report = schedule.Failed(now);
    failedAttempts.store(schedule.Failures());
    switch (report) {
      case FailureReport::kFirst: Report(MqttReportKind::kFailed, detail); break;
      case FailureReport::kReminder: Report(MqttReportKind::kStillFailing, detail); break;
      case FailureReport::kNone: break;
    }
  }

  void Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    Mosquitto().publish(client.get(), nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos,
                        retain);
  }

  // Publishes the state the host handed over last, if it is new; true when it did.
  bool TakeFreshState() {
    {
      const std::lock_guard lock(mutex);
      if (!freshState) return false;
      lastState = std::move(*freshState);
      freshState.reset();
    }
    Publish(settings.StateTopic(), lastState, 0, false);
    lastSuccessUnix.store(UnixSeconds());
    return true;
  }

  void SendFreshState() {
    // Whatever the broker has not taken yet stays in the slot, so a stalled broker
    // never makes the library's queue grow.
    if (!Mosquitto().want_write(client.get())) TakeFreshState();
  }

  void SayGoodbye() {
    if (phase != Phase::kConnected) return;
    Publish(settings.StatusTopic(), "offline", 0, true);
    Mosquitto().disconnect(client.get());
    const std::int64_t deadline = SteadyMs() + kGoodbyeMs;
    while (Mosquitto().socket(client.get()) >= 0 && Mosquitto().want_write(client.get()) && SteadyMs() < deadline) {
      if (!TMqttSocketWait::WaitWritable(Mosquitto().socket(client.get()), deadline - SteadyMs())) break;
      Mosquitto().loop_write(client.get(), 1);
    }
  }

  const MqttConnectionSettings settings;
  TMqttSocketWait wait;
  std::atomic<bool> stopping{false};
  std::atomic<std::size_t> failedAttempts{0};
  std::atomic<bool> connected{false};
  std::atomic<std::int64_t> lastSuccessUnix{0};  // 0: never

  // Shared with the host's thread, under the mutex.
  std::mutex mutex;
  std::optional<std::string> freshState;
  std::vector<MqttClientReport> reports;

  // The connection thread's own.
  MosquittoHandle client;
  Phase phase = Phase::kIdle;
  RetrySchedule schedule{kFirstGapMs, kLongestGapMs, kSteadyConnectionMs};
  bool everConnected = false;
  std::string lastState;
  std::string lastLibraryError;
  std::thread thread;
};

TMqttClient::TMqttClient(MqttConnectionSettings settings) : worker_(std::make_unique<Worker>(std::move(settings))) {
  worker_->thread = std::thread([worker = worker_.get()] { worker->Run(); });
}

TMqttClient::~TMqttClient() {
  worker_->stopping.store(true);
  worker_->Wake();
  worker_->thread.join();
}

std::size_t TMqttClient::FailedAttempts() const { return worker_->failedAttempts.load(); }

bool TMqttClient::Connected() const { return worker_->connected.load(); }

std::optional<std::int64_t> TMqttClient::LastSuccessUnix() const {
  const std::int64_t seconds = worker_->lastSuccessUnix.load();
  return seconds > 0 ? std::optional(seconds) : std::nullopt;
}

void TMqttClient::OfferState(std::string json) {
  {
    const std::lock_guard lock(worker_->mutex);
    worker_->freshState = std::move(json);
  }
  worker_->Wake();
}

std::vector<MqttClientReport> TMqttClient::TakeReports() {
  const std::lock_guard lock(worker_->mutex);
  return std::exchange(worker_->reports, {});
}

}  // namespace helvanta
