#pragma once

#include "runtime/host_message.hpp"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/mqtt_settings.hpp"
#include "mqtt/mqtt_client.hpp"

namespace helvanta {

class TLanguageList;

// A message for the host's event log or status bar.
using MqttMessage = THostMessage;

// What the host needs to publish: started from the [MQTT] section, fed from the tick on
// the main thread. With MQTT off every call does nothing.
class TMqttFeed {
 public:
  TMqttFeed() = default;
  ~TMqttFeed();
  TMqttFeed(const TMqttFeed&) = delete;
  TMqttFeed& operator=(const TMqttFeed&) = delete;

  // Reads and checks the section and starts the connection thread when Host is set.
  // Returns what to tell the user: replaced values, a password others can read, a
  // password or CA file that cannot be read (MQTT stays off then).
  std::vector<MqttMessage> Start(const TLanguageList& list, std::string_view lineBreak);
  // Ends the connection ("offline" first); Start may follow again.
  void Stop();
  bool Running() const { return client_ != nullptr; }

  // Called by the tick once the logger has run, before the next request: publishes the
  // state when the answer to the last measurand of a cycle is in, or a record was written.
  void AfterLogger(bool recordWritten, std::int32_t measurandIndex);
  // The connection thread's reports, worded.
  std::vector<MqttMessage> TakeMessages(const TLanguageList& list, std::string_view lineBreak);

 private:
  std::unique_ptr<TMqttClient> client_;
  std::string where_;
};

// A file the settings name that cannot be read: the text key of the message and the path.
struct MqttFileProblem {
  std::string key;
  std::string path;
};

// The connection settings from checked [MQTT] settings: the password (the first line of
// PasswordFile when that is set, else Password) and the discovery configs under
// `discoveryPrefix` (none when it is empty).
std::optional<MqttFileProblem> ConnectionSettingsFor(const TMqttSettings& settings, std::string_view discoveryPrefix,
                                                     MqttConnectionSettings& out);

}  // namespace helvanta
