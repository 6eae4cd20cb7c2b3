#include "web/live_snapshot.hpp"

#include <cstdint>
#include <cstdio>

#include "link/measurands.hpp"
#include "mqtt/json_text.hpp"
#include "mqtt/sensor_rows.hpp"

namespace helvanta {

namespace {

// "2026-02-03T12:34:56": the program's local wall-clock time, as the CSV files carry it.
std::string LocalText(const DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
      return false;
    }
    i += length;
  }
  return true;
}

// Paths and names as the user wrote them: UTF-8 when they are, else Windows-1252.
std::string TextAsUtf8(std::string_view bytes) { return IsUtf8(bytes) ? std::string(bytes) : Utf8FromCp1252(bytes); }

}  // namespace

std::string LiveJson(const TLiveState& state) {
  std::string out = "{";
  AppendJsonMember(out, "time", LocalText(state.now));
  AppendJsonMember(out, "date", LocalText(state.now).substr(0, 10));
  out += state.connected ? ",\"connected\":true" : ",\"connected\":false";
  AppendJsonMember(out, "port", TextAsUtf8(state.port));
  AppendJsonMember(out, "device", TextAsUtf8(state.device));
  if (state.lastRecord) {
    AppendJsonMember(out, "last_record", LocalText(*state.lastRecord));
  } else {
    out += ",\"last_record\":null";
  }
  AppendJsonMember(out, "todays_file", TextAsUtf8(state.todaysFile));
  out += ",\"values\":[";
  for (const SensorRow& row : SensorRows()) {
    const std::string& value = Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value;
    if (out.back() != '[') out += ',';
    out += '{';
    AppendJsonMember(out, "key", row.key);
    AppendJsonMember(out, "name", row.name);
    AppendJsonMember(out, "unit", Utf8FromCp1252(RowUnit(row.row)));
    out += ",\"value\":";
    AppendSensorValue(out, row, value);
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace helvanta
