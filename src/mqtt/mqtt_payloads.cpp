#include "mqtt/mqtt_payloads.hpp"

#include <cstdio>
#include <cstdlib>

#include "link/measurands.hpp"
#include "mqtt/json_text.hpp"
#include "mqtt/sensor_rows.hpp"

#ifndef HELVANTA_VERSION
#error "HELVANTA_VERSION comes from the build"
#endif

namespace helvanta {

namespace {

void AppendMember(std::string& out, std::string_view name, std::string_view utf8Value) {
  if (out.back() != '{') out += ',';
  AppendJsonString(out, name);
  out += ':';
  AppendJsonString(out, utf8Value);
}

}  // namespace

std::string IsoLocalTime(const DateTime& t, int utcOffsetMinutes) {
  const int offset = std::abs(utcOffsetMinutes);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string StateJson(const DateTime& now, int utcOffsetMinutes) {
  std::string out = "{";
  for (const SensorRow& row : SensorRows()) {
    const std::string& value = Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value;
    if (out.size() > 1) out += ',';
    AppendJsonString(out, row.key);
    out += ':';
    if (value == kNotAvailable) {
      out += "null";
    } else if (row.numeric && IsJsonNumber(value)) {
      out += value;
    } else {
      AppendJsonString(out, Utf8FromCp1252(value));
    }
  }
  AppendMember(out, "time", IsoLocalTime(now, utcOffsetMinutes));
  out += '}';
  return out;
}

std::vector<RetainedMessage> DiscoveryConfigs(const DiscoveryNames& names) {
  std::string device = "{";
  device += "\"identifiers\":[";
  AppendJsonString(device, names.clientId);
  device += "]";
  AppendMember(device, "name", "Siemens SPN1000");
  AppendMember(device, "manufacturer", "Siemens");
  AppendMember(device, "model", "SPN1000");
  AppendMember(device, "sw_version", "Helvanta " HELVANTA_VERSION);
  device += '}';

  std::vector<RetainedMessage> configs;
  for (const SensorRow& row : SensorRows()) {
    std::string config = "{";
    AppendMember(config, "name", row.name);
    AppendMember(config, "unique_id", names.clientId + "_" + row.key);
    AppendMember(config, "state_topic", names.baseTopic + "/state");
    AppendMember(config, "value_template", "{{ value_json." + row.key + " }}");
    if (!row.unit.empty()) AppendMember(config, "unit_of_measurement", row.unit);
    if (!row.deviceClass.empty()) AppendMember(config, "device_class", row.deviceClass);
    if (!row.stateClass.empty()) AppendMember(config, "state_class", row.stateClass);
    AppendMember(config, "availability_topic", names.baseTopic + "/status");
    AppendMember(config, "payload_available", "online");
    AppendMember(config, "payload_not_available", "offline");
    config += ",\"device\":" + device + "}";
    configs.push_back({names.prefix + "/sensor/" + names.clientId + "/" + row.key + "/config", std::move(config)});
  }
  return configs;
}

}  // namespace helvanta
