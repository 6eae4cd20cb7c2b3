#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace helvanta {

// One measurand of the inverter.
struct TMeasurand {
  std::string Descriptor;  // 8 characters: request code, scale flag, combine flag, display row
  std::string RawWord;     // data word of the last decoded answer; empty until one arrives
  std::string Value;       // current value text; "N/A" until decoded
  // The value of the last good answer and when it was decoded (elapsed milliseconds
  // of the program clock), so the logger can still write it while the newest request waits.
  std::string GoodValue;
  std::int64_t GoodAtMs = std::numeric_limits<std::int64_t>::min();
};

inline constexpr int kMeasurandSlots = 50;
inline constexpr int kMeasurandCount = 45;
inline constexpr int kDisplayRowCount = 32;

// The value text of an entry that has no answer yet.
inline constexpr std::string_view kNotAvailable = "N/A";

// The process-wide table: 50 slots, the first 45 used.
extern std::array<TMeasurand, kMeasurandSlots> Measurands;

// The fixed definition of one measurand: its descriptor and, for the 32 shown ones,
// the caption and unit of its display row (Windows-1252 bytes; empty for the rest).
struct MeasurandDefinition {
  std::string_view descriptor;
  std::string_view caption;
  std::string_view unit;
};

const std::array<MeasurandDefinition, kMeasurandCount>& MeasurandDefinitions();

// Fills every Descriptor from the definitions and every Value with "N/A", and forgets
// every good answer; RawWord is kept.
void InitMeasurands();

// Display row of a descriptor (characters 7-8), or -1 when it is not shown.
int DisplayRow(std::string_view descriptor);

// Index of the entry shown in display row 0..31, or -1 for any other row.
int IndexOfRow(int row);

// Caption and unit of display row 0..31 as built in.
std::string_view RowCaption(int row);
std::string_view RowUnit(int row);

}  // namespace helvanta
