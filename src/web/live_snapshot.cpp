#include "web/live_snapshot.hpp"

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "text/json_writer.hpp"
#include "text/utf8_text.hpp"

namespace helvanta {

std::string LiveJson(const TLiveState& state) {
  constexpr std::string_view kLocalPattern = "%Y-%M-%DT%h:%m:%s";
  TJsonWriter json;
  json.BeginObject();
  json.Member("time", FormatTime(state.now, kLocalPattern));
  json.Member("date", FormatTime(state.now, "%Y-%M-%D"));
  json.Key("connected").Bool(state.connected);
  json.Member("port", TextAsUtf8(state.port));
  json.Member("device", TextAsUtf8(state.device));
  json.Key("last_record");
  if (state.lastRecord) {
    json.String(FormatTime(*state.lastRecord, kLocalPattern));
  } else {
    json.Null();
  }
  json.Member("todays_file", TextAsUtf8(state.todaysFile));
  json.Key("values").BeginArray();
  for (const SensorRow& row : SensorRows()) {
    json.BeginObject();
    json.Member("key", row.key);
    json.Member("name", row.name);
    json.Member("unit", Utf8FromCp1252(RowUnit(row.row)));
    json.Key("value");
    WriteSensorValue(json, row, Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value);
    json.EndObject();
  }
  json.EndArray().EndObject();
  return json.Take();
}

}  // namespace helvanta
