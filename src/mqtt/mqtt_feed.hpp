#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/mqtt_settings.hpp"
#include "mqtt/mqtt_client.hpp"
#include "runtime/host_output.hpp"

namespace helvanta {

class TLanguageList;

// What the host needs to publish: started from the [MQTT] section, fed from the tick on
// the main thread. With MQTT off every call does nothing.
class TMqttFeed : public THostOutput {
 public:
  TMqttFeed() = default;
  ~TMqttFeed() override;
  TMqttFeed(const TMqttFeed&) = delete;
  TMqttFeed& operator=(const TMqttFeed&) = delete;

  // Reads and checks the section and starts the connection thread when Host is set.
  // Returns what to tell the user: replaced values, a password others can read, a
  // password or CA file that cannot be read (MQTT stays off then).
  std::vector<THostMessage> Start(const THostStart& start) override;
  // Ends the connection ("offline" first); Start may follow again.
  void Stop() override;
  bool Running() const { return client_ != nullptr; }

  // Before the next request: publishes the state when the answer to the last measurand
  // of a cycle is in, or a record was written.
  void AfterLogger(const THostLogged& logged) override;
  // The connection thread's reports, worded.
  std::vector<THostMessage> Tick(const THostTick& tick) override;
  std::optional<TOutputLink> Link() const override;

 private:
  void OfferState();

  std::unique_ptr<TMqttClient> client_;
  bool lineUp_ = false;
  std::string where_;
};

// A file the settings name that cannot be read: the text key of the message and the path.
struct MqttFileProblem {
  std::string_view key;
  std::string path;
};

// The connection settings from checked [MQTT] settings: the password (the first line of
// PasswordFile when that is set, else Password) and the discovery configs under
// `discoveryPrefix` (none when it is empty).
std::optional<MqttFileProblem> ConnectionSettingsFor(const TMqttSettings& settings, std::string_view discoveryPrefix,
                                                     MqttConnectionSettings& out);

}  // namespace helvanta
