#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"

namespace helvanta {

// The [MQTT] section of Helvanta.ini. An empty Host turns MQTT off.
struct TMqttSettings {
  std::string Host;
  std::string Port;  // empty: 1883, or 8883 with a CAFile
  std::string User;
  std::string Password;
  std::string PasswordFile;
  std::string CAFile;
  std::string Topic = "helvanta";
  std::string Discovery = "homeassistant";
  std::string ClientId;  // empty: the id kept for this copy

  bool Enabled() const { return !Host.empty(); }
  // The port to connect to; Port must have passed IsValidMqttPort.
  int EffectivePort() const;
};

inline constexpr std::string_view kMqttSection = "MQTT";
inline constexpr std::string_view kDefaultMqttTopic = "helvanta";
inline constexpr std::string_view kDefaultDiscoveryPrefix = "homeassistant";
// Long enough for any sensible prefix; a longer one is most likely a pasted mistake, and
// the discovery topics built on it must stay far below the protocol's 65535 bytes.
inline constexpr std::size_t kMaxTopicBytes = 200;
inline constexpr std::size_t kMaxClientIdBytes = 64;

// The keys as Helvanta.ini holds them; every key missing gives its default.
TMqttSettings LoadMqttSettings();

// Checks of single values, shared by the start and the settings dialog. A port is a
// whole number 1..65535 (empty: the default); a topic is 1..200 bytes without '#', '+',
// a zero byte, a leading '$' or a leading or trailing '/'; the discovery prefix may also
// be empty (discovery off); a client id is 1..64 letters, digits, '-' or '_'.
bool IsValidMqttPort(std::string_view text);
bool IsValidMqttTopic(std::string_view topic);
bool IsValidMqttClientId(std::string_view id);

// Replaces every invalid value by its default and, with MQTT on, fills in the client id;
// returns what it replaced, keys named "[MQTT] <key>".
std::vector<TReplacedSetting> ValidateMqttSettings(TMqttSettings& settings);

// The id kept for this copy (see KeptId).
std::string DefaultMqttClientId();

// Writes the keys that differ from `shown` (what the dialog was filled with), so an
// untouched dialog never adds the section; false when a write failed.
bool SaveMqttSettings(const TMqttSettings& settings, const TMqttSettings& shown);

// Whether users other than the owner and the file's group may read the file.
bool OthersCanRead(const std::string& path);

}  // namespace helvanta
