#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mqtt/mqtt_session.hpp"

namespace helvanta {

// What the connection thread tells its host; the host words it on its main thread.
enum class MqttReportKind { kConnected, kFailed, kStillFailing, kRecovered, kSetupFailed };
struct MqttClientReport {
  MqttReportKind kind;
  std::string detail;  // "host:port", with ": reason" for the failures
  bool operator==(const MqttClientReport&) const = default;
};

// The connection to the broker, on a thread of its own that owns the libmosquitto client,
// so that name lookup, connecting, TLS and a stalled broker never hold up the caller.
// Connected, it publishes "online" (retained; the retained last will says "offline"), the
// discovery configs and the newest state; a failed attempt or a lost connection is tried
// again after 1 s, doubling to 60 s. The first failure of a run is reported, then a
// reminder at most hourly, and the connection that ends a run.
class TMqttClient {
 public:
  explicit TMqttClient(MqttConnectionSettings settings);
  // Says "offline", disconnects (waiting at most about a second for the broker) and ends the thread.
  ~TMqttClient();
  TMqttClient(const TMqttClient&) = delete;
  TMqttClient& operator=(const TMqttClient&) = delete;

  // Hands over the newest state; a state not yet sent is replaced, never queued. Never waits
  // for the network.
  void OfferState(std::string json);
  // The reports since the last call, in order.
  std::vector<MqttClientReport> TakeReports();
  // Failed attempts in the current run of failures (0 while connected).
  std::size_t FailedAttempts() const;
  // Whether the broker took the connection now, and when it last took the connection or
  // a state (seconds since 1970 UTC; nothing before the first time).
  bool Connected() const;
  std::optional<std::int64_t> LastSuccessUnix() const;

  struct Worker;

 private:
  std::unique_ptr<Worker> worker_;
};

}  // namespace helvanta
