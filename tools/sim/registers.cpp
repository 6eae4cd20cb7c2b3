#include "sim/registers.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "link/measurands.hpp"

namespace helvanta::sim {

namespace {

// The quantity behind each entry of the measurand table, in its order; a low-word
// entry reads the same quantity as the high-word entry after it.
constexpr std::array<Quantity, kMeasurandCount> kQuantityOfIndex{
    Quantity::BusAddress,
    Quantity::CurrentLimit,
    Quantity::VoltageLimitMax,
    Quantity::VoltageLimitMin,
    Quantity::Period,
    Quantity::AcVoltage,
    Quantity::AcCurrent,
    Quantity::AcPower,
    Quantity::AcPower,
    Quantity::DcVoltage,
    Quantity::DcCurrent,
    Quantity::DcPower,
    Quantity::DcPower,
    Quantity::CoolerTemperature,
    Quantity::WorkTotal,
    Quantity::WorkTotal,
    Quantity::WorkingHours,
    Quantity::WorkingHours,
    Quantity::WorkingMinutesSeconds,
    Quantity::WorkCurrentDay,
    Quantity::WorkCurrentDay,
    Quantity::WorkLastDay,
    Quantity::WorkLastDay,
    Quantity::WorkStartOfDay,
    Quantity::WorkStartOfDay,
    Quantity::WorkCurrentMonth,
    Quantity::WorkCurrentMonth,
    Quantity::WorkLastMonth,
    Quantity::WorkLastMonth,
    Quantity::WorkStartOfMonth,
    Quantity::WorkStartOfMonth,
    Quantity::WorkCurrentYear,
    Quantity::WorkCurrentYear,
    Quantity::WorkLastYear,
    Quantity::WorkLastYear,
    Quantity::WorkStartOfYear,
    Quantity::WorkStartOfYear,
    Quantity::ErrorCode,
    Quantity::ErrorState,
    Quantity::Impedance,
    Quantity::ImpedanceMax,
    Quantity::ImpedanceErrors,
    Quantity::FrequencyErrors,
    Quantity::Efficiency,
    Quantity::Version,
};

bool IsHighWord(std::string_view descriptor) { return descriptor.size() > 5 && descriptor[5] == '1'; }

std::uint32_t Word(double value) { return static_cast<std::uint32_t>(std::clamp(std::round(value), 0.0, 65535.0)); }

std::uint32_t Count(double value) {
  return static_cast<std::uint32_t>(std::clamp(std::round(value), 0.0, 4294967295.0));
}

}  // namespace

RegisterMap::RegisterMap() {
  const auto& definitions = MeasurandDefinitions();
  for (int i = 0; i < kMeasurandCount; ++i) {
    const std::string_view descriptor = definitions[static_cast<std::size_t>(i)].descriptor;
    Register r;
    r.code = std::string(descriptor.substr(0, 4));
    r.index = i;
    r.quantity = kQuantityOfIndex[static_cast<std::size_t>(i)];
    if (IsHighWord(descriptor)) {
      r.half = Half::High;
    } else if (i + 1 < kMeasurandCount && IsHighWord(definitions[static_cast<std::size_t>(i + 1)].descriptor)) {
      r.half = Half::Low;
    }
    registers_.push_back(r);
  }
}

const Register* RegisterMap::Find(std::string_view code) const {
  const auto it = std::find_if(registers_.begin(), registers_.end(), [&](const Register& r) { return r.code == code; });
  return it == registers_.end() ? nullptr : &*it;
}

std::uint32_t RawValue(Quantity quantity, const InverterState& s) {
  switch (quantity) {
    case Quantity::BusAddress: return kStatusByte << 8 | 1;
    case Quantity::CurrentLimit: return kStatusByte << 8 | 100;
    case Quantity::VoltageLimitMax: return kStatusByte << 8 | 110;
    case Quantity::VoltageLimitMin: return kStatusByte << 8 | 85;
    case Quantity::Period: return Word(s.periodMicroseconds);
    case Quantity::AcVoltage: return Word(s.acVoltage * 10.0);
    case Quantity::AcCurrent: return Word(s.acCurrent * 100.0);
    case Quantity::AcPower: return Count(s.acPower * 100.0);
    case Quantity::DcVoltage: return Word(s.dcVoltage * 10.0);
    case Quantity::DcCurrent: return Word(s.dcCurrent * 100.0);
    case Quantity::DcPower: return Count(s.dcPower * 100.0);
    case Quantity::CoolerTemperature: return Word(s.coolerTemperature * 10.0);
    case Quantity::WorkTotal: return s.workTotal;
    case Quantity::WorkingHours: return s.workingSeconds / 3600;
    case Quantity::WorkingMinutesSeconds: return s.workingSeconds % 3600 / 60 * 100 + s.workingSeconds % 60;
    case Quantity::WorkCurrentDay: return s.workCurrentDay;
    case Quantity::WorkLastDay: return s.workLastDay;
    case Quantity::WorkStartOfDay: return s.workStartOfDay;
    case Quantity::WorkCurrentMonth: return s.workCurrentMonth;
    case Quantity::WorkLastMonth: return s.workLastMonth;
    case Quantity::WorkStartOfMonth: return s.workStartOfMonth;
    case Quantity::WorkCurrentYear: return s.workCurrentYear;
    case Quantity::WorkLastYear: return s.workLastYear;
    case Quantity::WorkStartOfYear: return s.workStartOfYear;
    case Quantity::ErrorCode: return 0;
    case Quantity::ErrorState: return 0;
    case Quantity::Impedance: return Word(s.impedance * 100.0);
    case Quantity::ImpedanceMax: return 125;
    case Quantity::ImpedanceErrors: return 3;
    case Quantity::FrequencyErrors: return 1;
    case Quantity::Efficiency: return Word(s.efficiency * 10.0);
    case Quantity::Version: return 123;
  }
  return 0;
}

}  // namespace helvanta::sim
