#include <gtest/gtest.h>

#include <set>

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "mqtt/mqtt_payloads.hpp"
#include "runtime/date_time.hpp"
#include "text/json_writer.hpp"

namespace helvanta::testing {
namespace {

TEST(MqttPayloads, KeysAreStableSnakeCaseAndUnique) {
  std::set<std::string> keys;
  for (const SensorRow& row : SensorRows()) EXPECT_TRUE(keys.insert(row.key).second) << row.key;
  EXPECT_EQ(SensorRows().size(), 32u);
  EXPECT_EQ(SensorRows()[0].key, "voltage_ac");
  EXPECT_EQ(SensorRows()[7].key, "workingtime");
  EXPECT_EQ(SensorRows()[8].key, "workingtime_min_sec");
  EXPECT_EQ(SensorRows()[9].key, "work_total");
  EXPECT_EQ(SensorRows()[6].unit,
            "\xC2\xB0"
            "C");
  EXPECT_EQ(SnakeCase("  Voltagelimit (AC) max "), "voltagelimit_ac_max");
}

TEST(MqttPayloads, JsonNumbersAreRecognisedExactly) {
  const std::vector<std::pair<std::string, bool>> cases{
      {"0", true},      {"227.60", true}, {"-0.50", true}, {"12", true},  {"", false},
      {"-", false},     {"01", false},    {"1.", false},   {".5", false}, {"+1", false},
      {"12:34", false}, {"08E4", false},  {"1e5", false},  {"N/A", false}};
  for (const auto& [text, number] : cases) EXPECT_EQ(IsJsonNumber(text), number) << text;
}

TEST(MqttPayloads, StateHoldsNumbersTextsNullAndTheLocalTime) {
  InitMeasurands();
  for (const SensorRow& row : SensorRows()) Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value = "1.00";
  Measurands[5].Value = "227.60";     // voltage_ac
  Measurands[38].Value = "08E4";      // error_state
  Measurands[18].Value = "22:76";     // workingtime_min_sec
  Measurands[13].Value = "N/A";       // cooler_temperature
  Measurands[44].Value = "a\"b\x01";  // nothing the inverter sends, still valid JSON
  const std::string json = StateJson(DateTime{2026, 3, 29, 2, 30, 5}, -90, true, false);
  EXPECT_TRUE(json.starts_with("{\"voltage_ac\":227.60,\"current_ac\":1.00,")) << json;
  EXPECT_NE(json.find("\"error_state\":\"08E4\""), std::string::npos);
  EXPECT_NE(json.find("\"workingtime_min_sec\":\"22:76\""), std::string::npos);
  EXPECT_NE(json.find("\"cooler_temperature\":null"), std::string::npos);
  EXPECT_NE(json.find("\"version\":\"a\\\"b\\u0001\""), std::string::npos);
  EXPECT_TRUE(json.ends_with(",\"problem\":\"ON\",\"line\":\"OFF\",\"time\":\"2026-03-29T02:30:05-01:30\"}")) << json;
  EXPECT_NE(StateJson({}, 0, std::nullopt, true).find("\"problem\":null,\"line\":\"ON\""), std::string::npos);
  EXPECT_EQ(IsoLocalTime(DateTime{2026, 12, 7, 13, 45, 0}, 60), "2026-12-07T13:45:00+01:00");
  InitMeasurands();
}

TEST(MqttPayloads, DiscoveryConfigsDescribeEachSensorForHomeAssistant) {
  const std::vector<RetainedMessage> configs = DiscoveryConfigs({"homeassistant", "helvanta-box", "solar"});
  ASSERT_EQ(configs.size(), 34u);
  EXPECT_EQ(configs[0].topic, "homeassistant/sensor/helvanta-box/voltage_ac/config");
  EXPECT_EQ(configs[0].payload,
            "{\"name\":\"Voltage (AC)\",\"unique_id\":\"helvanta-box_voltage_ac\",\"state_topic\":\"solar/state\","
            "\"value_template\":\"{{ value_json.voltage_ac }}\",\"unit_of_measurement\":\"V\","
            "\"device_class\":\"voltage\",\"state_class\":\"measurement\",\"availability_topic\":\"solar/status\","
            "\"payload_available\":\"online\",\"payload_not_available\":\"offline\",\"device\":{\"identifiers\":["
            "\"helvanta-box\"],\"name\":\"Siemens SPN1000\",\"manufacturer\":\"Siemens\",\"model\":\"SPN1000\","
            "\"sw_version\":\"Helvanta 1.2\"}}");
  const auto config = [&](const std::string& key) {
    for (const RetainedMessage& m : configs) {
      if (m.topic == "homeassistant/sensor/helvanta-box/" + key + "/config") return m.payload;
    }
    return std::string();
  };
  EXPECT_NE(config("work_total").find("\"device_class\":\"energy\",\"state_class\":\"total_increasing\""),
            std::string::npos);
  EXPECT_NE(config("work_last_day").find("\"state_class\":\"total\""), std::string::npos);
  EXPECT_NE(config("cooler_temperature")
                .find("\"unit_of_measurement\":\"\xC2\xB0"
                      "C\",\"device_class\":\"temperature\""),
            std::string::npos);
  // A text value must not carry a unit, or Home Assistant expects a number.
  EXPECT_EQ(config("error_state").find("unit_of_measurement"), std::string::npos);
  EXPECT_EQ(config("workingtime_min_sec").find("state_class"), std::string::npos);
  // Figures about the inverter itself: diagnostic, without statistics.
  for (const std::string key : {"version", "busaddress", "count_of_impedance_errors", "count_of_fequence_errors"}) {
    EXPECT_NE(config(key).find("\"entity_category\":\"diagnostic\""), std::string::npos) << key;
    EXPECT_EQ(config(key).find("state_class"), std::string::npos) << key;
  }
  // The snapshots of a period offer themselves to the Energy dashboard.
  for (const std::string key : {"work_last_day", "work_start_of_current_day", "work_last_month", "work_start_of_month",
                                "work_last_year", "work_start_of_current_year"}) {
    EXPECT_NE(config(key).find("\"device_class\":\"energy\",\"state_class\":\"total\""), std::string::npos) << key;
    EXPECT_EQ(config(key).find("last_reset"), std::string::npos) << key;
  }
  EXPECT_EQ(configs[32].topic, "homeassistant/binary_sensor/helvanta-box/problem/config");
  EXPECT_EQ(configs[32].payload,
            "{\"name\":\"Problem\",\"unique_id\":\"helvanta-box_problem\",\"state_topic\":\"solar/state\","
            "\"value_template\":\"{{ value_json.problem }}\",\"device_class\":\"problem\","
            "\"json_attributes_topic\":\"solar/state\",\"json_attributes_template\":\"{{ {'error_specification': "
            "value_json.error_specification, 'error_state': value_json.error_state} | tojson }}\","
            "\"availability_topic\":\"solar/status\",\"payload_available\":\"online\","
            "\"payload_not_available\":\"offline\",\"device\":{\"identifiers\":[\"helvanta-box\"],\"name\":"
            "\"Siemens SPN1000\",\"manufacturer\":\"Siemens\",\"model\":\"SPN1000\",\"sw_version\":\"Helvanta 1.2\"}}");
  EXPECT_EQ(configs[33].topic, "homeassistant/binary_sensor/helvanta-box/line/config");
  EXPECT_NE(configs[33].payload.find("\"value_template\":\"{{ value_json.line }}\",\"device_class\":\"connectivity\""),
            std::string::npos)
      << configs[33].payload;
}

}  // namespace
}  // namespace helvanta::testing
