#include "mqtt/mqtt_payloads.hpp"

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "text/json_writer.hpp"

#ifndef HELVANTA_VERSION
#error "HELVANTA_VERSION comes from the build"
#endif

namespace helvanta {

std::string StateJson(const DateTime& now, int utcOffsetMinutes) {
  TJsonWriter json;
  json.BeginObject();
  for (const SensorRow& row : SensorRows()) {
    json.Key(row.key);
    WriteSensorValue(json, row, Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value);
  }
  json.Member("time", IsoLocalTime(now, utcOffsetMinutes)).EndObject();
  return json.Take();
}

namespace {

void WriteDevice(TJsonWriter& json, const DiscoveryNames& names) {
  json.Key("device").BeginObject();
  json.Key("identifiers").BeginArray().String(names.clientId).EndArray();
  json.Member("name", "Siemens SPN1000");
  json.Member("manufacturer", "Siemens");
  json.Member("model", "SPN1000");
  json.Member("sw_version", "Helvanta " HELVANTA_VERSION);
  json.EndObject();
}

}  // namespace

std::vector<RetainedMessage> DiscoveryConfigs(const DiscoveryNames& names) {
  std::vector<RetainedMessage> configs;
  for (const SensorRow& row : SensorRows()) {
    TJsonWriter json;
    json.BeginObject();
    json.Member("name", row.name);
    json.Member("unique_id", names.clientId + "_" + row.key);
    json.Member("state_topic", names.baseTopic + "/state");
    json.Member("value_template", "{{ value_json." + row.key + " }}");
    if (!row.unit.empty()) json.Member("unit_of_measurement", row.unit);
    if (!row.deviceClass.empty()) json.Member("device_class", row.deviceClass);
    if (!row.stateClass.empty()) json.Member("state_class", row.stateClass);
    json.Member("availability_topic", names.baseTopic + "/status");
    json.Member("payload_available", "online");
    json.Member("payload_not_available", "offline");
    WriteDevice(json, names);
    json.EndObject();
    configs.push_back({names.prefix + "/sensor/" + names.clientId + "/" + row.key + "/config", json.Take()});
  }
  return configs;
}

}  // namespace helvanta
