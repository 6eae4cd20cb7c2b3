#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/day_model.hpp"

namespace helvanta::sim {

// What the inverter keeps in its registers.
enum class Quantity {
  BusAddress,
  CurrentLimit,
  VoltageLimitMax,
  VoltageLimitMin,
  Period,
  AcVoltage,
  AcCurrent,
  AcPower,
  DcVoltage,
  DcCurrent,
  DcPower,
  CoolerTemperature,
  WorkTotal,
  WorkingHours,
  WorkingMinutesSeconds,
  WorkCurrentDay,
  WorkLastDay,
  WorkStartOfDay,
  WorkCurrentMonth,
  WorkLastMonth,
  WorkStartOfMonth,
  WorkCurrentYear,
  WorkLastYear,
  WorkStartOfYear,
  ErrorCode,
  ErrorState,
  Impedance,
  ImpedanceMax,
  ImpedanceErrors,
  FrequencyErrors,
  Efficiency,
  Version,
};

// Which part of the quantity a request code reads.
enum class Half { Whole, Low, High };

struct Register {
  std::string code;  // the four characters of the request
  int index = 0;     // position in the measurand table
  Quantity quantity = Quantity::Version;
  Half half = Half::Whole;
};

// The 45 request codes the inverter answers, taken from the measurand table.
class RegisterMap {
 public:
  RegisterMap();
  const Register* Find(std::string_view code) const;
  const std::vector<Register>& All() const { return registers_; }

 private:
  std::vector<Register> registers_;
};

// The high byte of the four byte-sized settings (indices 0-3).
inline constexpr std::uint32_t kStatusByte = 0x10;

// The number the inverter holds for a quantity in its own units: a 16-bit word, or a
// 32-bit count for the quantities read in two halves.
std::uint32_t RawValue(Quantity quantity, const InverterState& state);

}  // namespace helvanta::sim
