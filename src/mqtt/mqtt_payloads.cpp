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
    AppendSensorValue(out, row, value);
  }
  AppendJsonMember(out, "time", IsoLocalTime(now, utcOffsetMinutes));
  out += '}';
  return out;
}

std::vector<RetainedMessage> DiscoveryConfigs(const DiscoveryNames& names) {
  std::string device = "{";
  device += "\"identifiers\":[";
  AppendJsonString(device, names.clientId);
  device += "]";
  AppendJsonMember(device, "name", "Siemens SPN1000");
  AppendJsonMember(device, "manufacturer", "Siemens");
  AppendJsonMember(device, "model", "SPN1000");
  AppendJsonMember(device, "sw_version", "Helvanta " HELVANTA_VERSION);
  device += '}';

  std::vector<RetainedMessage> configs;
  for (const SensorRow& row : SensorRows()) {
    std::string config = "{";
    AppendJsonMember(config, "name", row.name);
    AppendJsonMember(config, "unique_id", names.clientId + "_" + row.key);
    AppendJsonMember(config, "state_topic", names.baseTopic + "/state");
    AppendJsonMember(config, "value_template", "{{ value_json." + row.key + " }}");
    if (!row.unit.empty()) AppendJsonMember(config, "unit_of_measurement", row.unit);
    if (!row.deviceClass.empty()) AppendJsonMember(config, "device_class", row.deviceClass);
    if (!row.stateClass.empty()) AppendJsonMember(config, "state_class", row.stateClass);
    AppendJsonMember(config, "availability_topic", names.baseTopic + "/status");
    AppendJsonMember(config, "payload_available", "online");
    AppendJsonMember(config, "payload_not_available", "offline");
    config += ",\"device\":" + device + "}";
    configs.push_back({names.prefix + "/sensor/" + names.clientId + "/" + row.key + "/config", std::move(config)});
  }
  return configs;
}

}  // namespace helvanta
