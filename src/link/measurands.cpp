#include "link/measurands.hpp"

namespace helvanta {

// Constant-initialized, so the table exists before any other static object uses it.
// clang cannot evaluate libstdc++'s empty std::string at compile time; there the table
// is made by the earliest initializer a program may have, still before any ordinary one.
#if defined(__clang__) && defined(__GLIBCXX__)
[[gnu::init_priority(101)]] std::array<TMeasurand, kMeasurandSlots> Measurands;
#else
constinit std::array<TMeasurand, kMeasurandSlots> Measurands;
#endif

namespace {

// The polling order: every 32-bit value directly follows the entry that asks for its
// low word, so the low word is at most one second old when the high word arrives.
constexpr std::array<MeasurandDefinition, kMeasurandCount> kDefinitions{{
    {"02000030", "Busaddress", ""},
    {"02010022", "Currentlimit", "%"},
    {"02032021", "Voltagelimit (AC) max", ""},
    {"02042020", "Voltagelimit (AC) min", ""},
    {"03E40023", "Frequency", "Hz"},
    {"03E61000", "Voltage (AC)", "V"},
    {"03E82001", "Current (AC)", "A"},
    {"03EA00-1", "", ""},
    {"03EC2102", "Power (AC)", "W"},
    {"03EE1003", "Voltage (DC)", "V"},
    {"03F02004", "Current (DC)", "A"},
    {"03F200-1", "", ""},
    {"03F42105", "Power (DC)", "W"},
    {"03F61006", "Cooler temperature",
     "\xB0"
     "C"},
    {"03F800-1", "", ""},
    {"03FA1109", "Work - Total", "kWh"},
    {"03DC00-1", "", ""},
    {"03DE0107", "Workingtime", "h"},
    {"03E02008", "Workingtime", "min:sec"},
    {"CFE200-1", "", ""},
    {"CFE41110", "Work - Current day", "kWh"},
    {"CFF600-1", "", ""},
    {"CFF81111", "Work - Last day", "kWh"},
    {"CFFA00-1", "", ""},
    {"CFFC1112", "Work - Start of current day", "kWh"},
    {"CFDE00-1", "", ""},
    {"CFE01113", "Work - Current Month", "kWh"},
    {"CFEE00-1", "", ""},
    {"CFF01114", "Work - Last Month", "kWh"},
    {"CFF200-1", "", ""},
    {"CFF41115", "Work - Start of Month", "kWh"},
    {"CFDA00-1", "", ""},
    {"CFDC1116", "Work - Current year", "kWh"},
    {"CFE600-1", "", ""},
    {"CFE81117", "Work - Last year", "kWh"},
    {"CFEA00-1", "", ""},
    {"CFEC1118", "Work - Start of current year", "kWh"},
    {"02100028", "Error specification", "hex"},
    {"00240029", "Error state", "hex"},
    {"03FC2024", "Impedance", "ohm"},
    {"CFD42025", "Impedance max", "ohm"},
    {"CFD20026", "Count of impedance errors", ""},
    {"CF240027", "Count of fequence errors", ""},
    {"03FE1019", "Efficiency", "%"},
    {"9FFF2031", "Version", ""},
}};

constexpr int DisplayRowOf(std::string_view descriptor) {
  if (descriptor.size() < 8) return -1;
  const char tens = descriptor[6];
  const char ones = descriptor[7];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return -1;
  const int row = (tens - '0') * 10 + (ones - '0');
  return row < kDisplayRowCount ? row : -1;
}

// Index of the entry shown in each display row.
constexpr std::array<int, kDisplayRowCount> kIndexOfRow = [] {
  std::array<int, kDisplayRowCount> rows{};
  for (int& r : rows) r = -1;
  for (int i = 0; i < kMeasurandCount; ++i) {
    const int row = DisplayRowOf(kDefinitions[static_cast<std::size_t>(i)].descriptor);
    if (row >= 0) rows[static_cast<std::size_t>(row)] = i;
  }
  return rows;
}();

const MeasurandDefinition* DefinitionOfRow(int row) {
  if (row < 0 || row >= kDisplayRowCount) return nullptr;
  const int index = kIndexOfRow[static_cast<std::size_t>(row)];
  return index < 0 ? nullptr : &kDefinitions[static_cast<std::size_t>(index)];
}

}  // namespace

const std::array<MeasurandDefinition, kMeasurandCount>& MeasurandDefinitions() { return kDefinitions; }

void InitMeasurands() {
  for (std::size_t i = 0; i < kDefinitions.size(); ++i) {
    Measurands[i].Descriptor = kDefinitions[i].descriptor;
    Measurands[i].Value = kNotAvailable;
    Measurands[i].GoodValue.clear();
    Measurands[i].GoodAtMs = TMeasurand{}.GoodAtMs;
  }
}

int DisplayRow(std::string_view descriptor) { return DisplayRowOf(descriptor); }

int IndexOfRow(int row) {
  if (row < 0 || row >= kDisplayRowCount) return -1;
  return kIndexOfRow[static_cast<std::size_t>(row)];
}

std::string_view RowCaption(int row) {
  const MeasurandDefinition* d = DefinitionOfRow(row);
  return d != nullptr ? d->caption : std::string_view{};
}

std::string_view RowUnit(int row) {
  const MeasurandDefinition* d = DefinitionOfRow(row);
  return d != nullptr ? d->unit : std::string_view{};
}

}  // namespace helvanta
