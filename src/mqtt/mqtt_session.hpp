#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mqtt/mqtt_payloads.hpp"

struct mosquitto;

namespace helvanta {

// Everything a connection to the broker needs, fixed when MQTT starts.
struct MqttConnectionSettings {
  std::string host;
  int port = 1883;
  std::string user;
  std::string password;  // from Password or the first line of PasswordFile
  std::string caFile;    // empty: no TLS
  std::string clientId;
  std::string baseTopic;
  std::vector<RetainedMessage> discovery;  // empty when discovery is off

  std::string Where() const { return host + ":" + std::to_string(port); }
  std::string StatusTopic() const { return baseTopic + "/status"; }
  std::string StateTopic() const { return baseTopic + "/state"; }
};

// A failure to set up a client (no memory, a CA file libmosquitto refuses).
class EMqttSetup : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MosquittoDeleter {
  void operator()(mosquitto* handle) const;
};
using MosquittoHandle = std::unique_ptr<mosquitto, MosquittoDeleter>;

// A clean-session client with the settings' credentials and, with a CA file, TLS that
// verifies the broker's certificate and host name. Throws EMqttSetup.
MosquittoHandle NewMosquittoClient(const MqttConnectionSettings& settings, const std::string& clientId, void* userdata);

// The text of a libmosquitto result; errnoValue is errno as it was right after the call.
std::string MosquittoReason(int result, int errnoValue);
// The text of an MQTT 5 reason code the broker refused a connection with.
std::string ConnackReason(int reasonCode);

}  // namespace helvanta
