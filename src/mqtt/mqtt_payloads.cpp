#include "mqtt/mqtt_payloads.hpp"

#include <functional>

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "text/json_writer.hpp"

#ifndef HELVANTA_VERSION
#error "HELVANTA_VERSION comes from the build"
#endif

namespace helvanta {

std::string StateJson(const DateTime& now, int utcOffsetMinutes, std::optional<bool> problem, bool lineUp) {
  TJsonWriter json;
  json.BeginObject();
  for (const SensorRow& row : SensorRows()) {
    json.Key(row.key);
    WriteSensorValue(json, row, Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value);
  }
  json.Key("problem");
  if (problem) {
    json.String(*problem ? "ON" : "OFF");
  } else {
    json.Null();
  }
  json.Member("line", lineUp ? "ON" : "OFF");
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

void WriteAvailability(TJsonWriter& json, const DiscoveryNames& names) {
  json.Member("availability_topic", names.baseTopic + "/status");
  json.Member("payload_available", "online");
  json.Member("payload_not_available", "offline");
}

// A binary sensor on a field of the state that says "ON" or "OFF".
RetainedMessage BinarySensor(const DiscoveryNames& names, std::string_view key, std::string_view name,
                             std::string_view deviceClass, const std::function<void(TJsonWriter&)>& more) {
  TJsonWriter json;
  json.BeginObject();
  json.Member("name", name);
  json.Member("unique_id", names.clientId + "_" + std::string(key));
  json.Member("state_topic", names.baseTopic + "/state");
  json.Member("value_template", "{{ value_json." + std::string(key) + " }}");
  json.Member("device_class", deviceClass);
  more(json);
  WriteAvailability(json, names);
  WriteDevice(json, names);
  json.EndObject();
  return {names.prefix + "/binary_sensor/" + names.clientId + "/" + std::string(key) + "/config", json.Take()};
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
    if (row.diagnostic) json.Member("entity_category", "diagnostic");
    WriteAvailability(json, names);
    WriteDevice(json, names);
    json.EndObject();
    configs.push_back({names.prefix + "/sensor/" + names.clientId + "/" + row.key + "/config", json.Take()});
  }
  configs.push_back(BinarySensor(names, "problem", "Problem", "problem", [&names](TJsonWriter& json) {
    // The registers' texts beside the state, as Home Assistant shows attributes.
    json.Member("json_attributes_topic", names.baseTopic + "/state");
    json.Member("json_attributes_template",
                "{{ {'error_specification': value_json.error_specification, "
                "'error_state': value_json.error_state} | tojson }}");
  }));
  configs.push_back(BinarySensor(names, "line", "Line", "connectivity",
                                 [](TJsonWriter& json) { json.Member("entity_category", "diagnostic"); }));
  return configs;
}

}  // namespace helvanta
