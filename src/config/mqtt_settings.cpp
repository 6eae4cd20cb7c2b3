#include "config/mqtt_settings.hpp"

#include <array>
#include <optional>
#include <tuple>
#include <utility>

#include "config/ini_file.hpp"
#include "config/ini_text.hpp"
#include "config/kept_id.hpp"

namespace helvanta {

namespace {

bool IsClientIdCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

}  // namespace

TMqttSettings LoadMqttSettings() {
  const IniFile ini(SettingsFilePath());
  TMqttSettings s;
  s.Host = ini.ReadString(kMqttSection, "Host", "");
  s.Port = ini.ReadString(kMqttSection, "Port", "");
  s.User = ini.ReadString(kMqttSection, "User", "");
  s.Password = ini.ReadString(kMqttSection, "Password", "");
  s.PasswordFile = ini.ReadString(kMqttSection, "PasswordFile", "");
  s.CAFile = ini.ReadString(kMqttSection, "CAFile", "");
  s.Topic = ini.ReadString(kMqttSection, "Topic", kDefaultMqttTopic);
  s.Discovery = ini.ReadString(kMqttSection, "Discovery", kDefaultDiscoveryPrefix);
  s.ClientId = ini.ReadString(kMqttSection, "ClientId", "");
  return s;
}

int TMqttSettings::EffectivePort() const {
  if (const std::optional<std::int32_t> port = ParseIniInteger(Port); port && IsValidMqttPort(Port)) return *port;
  return CAFile.empty() ? 1883 : 8883;
}

bool IsValidMqttPort(std::string_view text) {
  if (text.empty()) return true;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const std::optional<std::int32_t> port = ParseIniInteger(text);
  return port && *port >= 1 && *port <= 65535;
}

bool IsValidMqttTopic(std::string_view topic) {
  if (topic.empty() || topic.size() > kMaxTopicBytes) return false;
  if (topic.front() == '$' || topic.front() == '/' || topic.back() == '/') return false;
  return topic.find_first_of(std::string_view("#+\0", 3)) == std::string_view::npos;
}

bool IsValidMqttClientId(std::string_view id) {
  if (id.empty() || id.size() > kMaxClientIdBytes) return false;
  for (char c : id) {
    if (!IsClientIdCharacter(c)) return false;
  }
  return true;
}

std::string DefaultMqttClientId() { return KeptId().id; }

std::vector<TReplacedSetting> ValidateMqttSettings(TMqttSettings& s) {
  std::vector<TReplacedSetting> replaced;
  const auto replace = [&replaced](std::string_view key, std::string& value, std::string replacement) {
    if (!value.empty()) replaced.push_back({"[MQTT] " + std::string(key), value, replacement});
    value = std::move(replacement);
  };
  if (!IsValidMqttPort(s.Port)) {
    replaced.push_back({"[MQTT] Port", s.Port, s.CAFile.empty() ? "1883" : "8883"});
    s.Port.clear();
  }
  if (!IsValidMqttTopic(s.Topic)) replace("Topic", s.Topic, std::string(kDefaultMqttTopic));
  if (!s.Discovery.empty() && !IsValidMqttTopic(s.Discovery)) {
    replace("Discovery", s.Discovery, std::string(kDefaultDiscoveryPrefix));
  }
  if (s.ClientId.empty()) {
    // Only a copy that talks to a broker needs an id of its own, and a file to keep it in.
    if (s.Enabled()) s.ClientId = DefaultMqttClientId();
  } else if (!IsValidMqttClientId(s.ClientId)) {
    replace("ClientId", s.ClientId, DefaultMqttClientId());
  }
  return replaced;
}

bool SaveMqttSettings(const TMqttSettings& settings, const TMqttSettings& shown) {
  const std::array<std::tuple<std::string_view, const std::string*, const std::string*>, 9> entries{{
      {"Host", &settings.Host, &shown.Host},
      {"Port", &settings.Port, &shown.Port},
      {"User", &settings.User, &shown.User},
      {"Password", &settings.Password, &shown.Password},
      {"PasswordFile", &settings.PasswordFile, &shown.PasswordFile},
      {"CAFile", &settings.CAFile, &shown.CAFile},
      {"Topic", &settings.Topic, &shown.Topic},
      {"Discovery", &settings.Discovery, &shown.Discovery},
      {"ClientId", &settings.ClientId, &shown.ClientId},
  }};
  // As with the other keys: nothing is written unless every changed entry can be stored.
  for (const auto& [key, value, before] : entries) {
    if (*value != *before && !IsWritableIniEntry(kMqttSection, key, *value)) return false;
  }
  IniFile ini(SettingsFilePath());
  for (const auto& [key, value, before] : entries) {
    if (*value != *before && !ini.WriteString(kMqttSection, key, *value)) return false;
  }
  return true;
}

}  // namespace helvanta
