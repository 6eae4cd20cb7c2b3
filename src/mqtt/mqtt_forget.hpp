#pragma once

#include <string>

namespace helvanta {

struct TMqttForgetResult {
  bool ok = false;
  std::string message;
};

// Takes Helvanta's sensors out of Home Assistant: publishes an empty retained message on
// every discovery config topic of the [MQTT] settings (the Discovery prefix, or the
// default one when Discovery is empty) and waits, at most about ten seconds, until the
// broker has taken each. Connects under a client id of its own, so a running Helvanta
// keeps its connection.
TMqttForgetResult ForgetMqttSensors();

}  // namespace helvanta
