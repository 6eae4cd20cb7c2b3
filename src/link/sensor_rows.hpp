#pragma once

#include <string>
#include <vector>

namespace helvanta {

class TJsonWriter;

// How one displayed measurand appears to a home-automation system.
struct SensorRow {
  int row = 0;              // display row 0..31
  std::string key;          // stable snake-case key from the English caption, e.g. "voltage_ac"
  std::string name;         // English caption, UTF-8
  std::string unit;         // unit as shown, UTF-8; empty for none and for text values
  std::string deviceClass;  // Home Assistant device class, or empty
  std::string stateClass;   // "measurement", "total_increasing", "total", or empty for text values
  bool numeric = true;      // false for the error registers and "min:sec": sent as text
  bool diagnostic = false;  // about the inverter rather than its yield; no statistics kept
};

// The 32 displayed measurands in row order.
const std::vector<SensorRow>& SensorRows();

// Writes a row's shown value: null for "N/A", a number where the row is numeric and the
// text is one, otherwise a string.
void WriteSensorValue(TJsonWriter& json, const SensorRow& row, const std::string& value);

// Lower case, every run of other characters one '_', none at either end.
std::string SnakeCase(std::string_view text);

}  // namespace helvanta
