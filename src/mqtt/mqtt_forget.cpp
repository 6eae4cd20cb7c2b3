#include "mqtt/mqtt_forget.hpp"

#include "mqtt/mosquitto_library.hpp"

#include <cerrno>
#include <chrono>
#include <optional>

#include "config/mqtt_settings.hpp"
#include "mqtt/mqtt_feed.hpp"

namespace helvanta {

namespace {

constexpr std::chrono::seconds kPatience{10};
constexpr int kKeepAliveSeconds = 30;

struct ForgetProgress {
  int connack = -1;
  std::size_t acknowledged = 0;
};

}  // namespace

TMqttForgetResult ForgetMqttSensors() {
  TMqttSettings settings = LoadMqttSettings();
  ValidateMqttSettings(settings);
  if (!settings.Enabled()) return {false, "MQTT is off: [MQTT] Host is empty in " + SettingsFilePath()};
  const std::string prefix = settings.Discovery.empty() ? std::string(kDefaultDiscoveryPrefix) : settings.Discovery;
  MqttConnectionSettings connection;
  if (const std::optional<MqttFileProblem> problem = ConnectionSettingsFor(settings, prefix, connection)) {
    return {false, "cannot read " + problem->path};
  }
  ForgetProgress progress;
  MosquittoHandle client;
  try {
    client = NewMosquittoClient(connection, connection.clientId + "-forget", &progress);
  } catch (const EMqttSetup& error) {
    return {false, error.what()};
  }
  Mosquitto().connect_callback_set(client.get(),
                                   [](mosquitto*, void* p, int rc) { static_cast<ForgetProgress*>(p)->connack = rc; });
  Mosquitto().publish_callback_set(client.get(),
                                   [](mosquitto*, void* p, int) { ++static_cast<ForgetProgress*>(p)->acknowledged; });
  const std::string where = connection.Where();
  errno = 0;
  int rc = Mosquitto().connect(client.get(), connection.host.c_str(), connection.port, kKeepAliveSeconds);
  if (rc != MOSQ_ERR_SUCCESS) return {false, where + ": " + MosquittoReason(rc, errno)};

  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  const auto serveUntil = [&](auto&& done) {
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      errno = 0;
      rc = Mosquitto().loop(client.get(), 100, 1);
      if (rc != MOSQ_ERR_SUCCESS) return false;
    }
    return done();
  };
  if (!serveUntil([&] { return progress.connack >= 0; })) {
    return {false, where + ": " + (rc != MOSQ_ERR_SUCCESS ? MosquittoReason(rc, errno) : "no answer from the broker")};
  }
  if (progress.connack != 0) return {false, where + ": " + ConnackReason(progress.connack)};
  for (const RetainedMessage& config : connection.discovery) {
    Mosquitto().publish(client.get(), nullptr, config.topic.c_str(), 0, nullptr, 1, true);
  }
  const bool taken = serveUntil([&] { return progress.acknowledged == connection.discovery.size(); });
  Mosquitto().disconnect(client.get());
  Mosquitto().loop(client.get(), 100, 1);
  if (!taken) return {false, where + ": the broker did not take every removal in time"};
  return {true, "Removed " + std::to_string(connection.discovery.size()) + " entities of " + connection.clientId +
                    " under " + prefix + " on " + where};
}

}  // namespace helvanta
