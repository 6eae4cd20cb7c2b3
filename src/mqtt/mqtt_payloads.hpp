#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/date_time.hpp"

namespace helvanta {

// One JSON object with every displayed measurand's value under its key: numbers as JSON
// numbers, text values as strings, "N/A" as null; "problem" ("ON" while an error register
// is set, null while neither has an answer), "line" ("ON" while the inverter answers);
// and "time".
std::string StateJson(const DateTime& now, int utcOffsetMinutes, std::optional<bool> problem, bool lineUp);

struct RetainedMessage {
  std::string topic;
  std::string payload;
};

// What the discovery configs need to know.
struct DiscoveryNames {
  std::string prefix;     // e.g. "homeassistant"
  std::string clientId;   // node id and the device's identifier
  std::string baseTopic;  // <Topic>: state and status live below it
};

// One retained config per displayed measurand, under <prefix>/sensor/<clientId>/<key>/config,
// then the binary sensors "problem" and "line" under <prefix>/binary_sensor/<clientId>/.
std::vector<RetainedMessage> DiscoveryConfigs(const DiscoveryNames& names);

}  // namespace helvanta
