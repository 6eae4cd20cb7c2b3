#include "link/sensor_rows.hpp"

#include <set>

#include "link/measurands.hpp"
#include "text/json_writer.hpp"
#include "text/utf8_text.hpp"

namespace helvanta {

namespace {

std::string DeviceClassOfUnit(std::string_view unit) {
  if (unit == "V") return "voltage";
  if (unit == "A") return "current";
  if (unit == "W") return "power";
  if (unit == "kWh") return "energy";
  if (unit == "Hz") return "frequency";
  if (unit == "h") return "duration";
  if (unit ==
      "\xB0"
      "C")
    return "temperature";
  return {};
}

// Energy counters: the running totals only grow (the day's, month's and year's start
// again from zero, which Home Assistant takes as a new cycle); the snapshots of a past
// or starting period are plain totals, the only other class the energy class allows.
std::string EnergyStateClass(std::string_view caption) {
  if (caption == "Work - Total" || caption.starts_with("Work - Current")) return "total_increasing";
  return "total";
}

bool IsDiagnostic(std::string_view key) {
  return key == "version" || key == "busaddress" || key == "count_of_impedance_errors" ||
         key == "count_of_fequence_errors";
}

std::vector<SensorRow> BuildRows() {
  std::vector<SensorRow> rows;
  std::set<std::string> taken;
  for (int row = 0; row < kDisplayRowCount; ++row) {
    const std::string_view caption = RowCaption(row);
    const std::string_view unit = RowUnit(row);
    SensorRow r;
    r.row = row;
    r.name = Utf8FromCp1252(caption);
    r.key = SnakeCase(caption);
    // Two rows share the caption "Workingtime"; the later one takes its unit along.
    if (!taken.insert(r.key).second) {
      // Appended piece by piece: GCC 12 at -O3 warns falsely about "_" + a temporary.
      r.key += '_';
      r.key += SnakeCase(unit);
      taken.insert(r.key);
    }
    r.numeric = unit != "hex" && unit != "min:sec";
    if (r.numeric) {
      r.unit = Utf8FromCp1252(unit);
      r.deviceClass = DeviceClassOfUnit(unit);
      r.stateClass = unit == "kWh" ? EnergyStateClass(caption) : "measurement";
    }
    // Long-term statistics of a version number or an error count mean nothing.
    r.diagnostic = IsDiagnostic(r.key);
    if (r.diagnostic) r.stateClass.clear();
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace

const std::vector<SensorRow>& SensorRows() {
  static const std::vector<SensorRow> rows = BuildRows();
  return rows;
}

std::string SnakeCase(std::string_view text) {
  std::string out;
  bool gap = false;
  for (const char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool upper = c >= 'A' && c <= 'Z';
    if (!letter && !upper) {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += '_';
    gap = false;
    out += upper ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

void WriteSensorValue(TJsonWriter& json, const SensorRow& row, const std::string& value) {
  if (value == kNotAvailable) {
    json.Null();
  } else if (row.numeric && IsJsonNumber(value)) {
    json.RawNumber(value);
  } else {
    json.String(Utf8FromCp1252(value));
  }
}

}  // namespace helvanta
