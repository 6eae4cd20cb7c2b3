#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/date_time.hpp"

namespace helvanta {

// One JSON object with every displayed measurand's value under its key: numbers as JSON
// numbers, text values as strings, "N/A" as null; and "time".
std::string StateJson(const DateTime& now, int utcOffsetMinutes);

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

// One retained config per displayed measurand, under <prefix>/sensor/<clientId>/<key>/config.
std::vector<RetainedMessage> DiscoveryConfigs(const DiscoveryNames& names);

}  // namespace helvanta
