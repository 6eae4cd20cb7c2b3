#include "sim/day_model.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/random.hpp"

namespace helvanta::sim {

namespace {

constexpr double kDayLength = DayModel::kSunset - DayModel::kSunrise;  // seconds of sun
// The peak AC power at which the sine-shaped day yields exactly the daily yield.
constexpr double kPeakPower = DayModel::kDailyYield * 100.0 * 3600.0 * std::numbers::pi / (2.0 * kDayLength);

enum NoiseChannel { kAcVoltageNoise, kPowerNoise, kDcVoltageNoise, kTemperatureNoise, kPeriodNoise, kImpedanceNoise };

std::int64_t EpochDay(int year, int month, int day) { return DaysFromCivil(year, month, day); }

const std::int64_t kInstallEpochDay = EpochDay(DayModel::kInstallYear, DayModel::kInstallMonth, DayModel::kInstallDay);

// Whole days from `from` (included) to `to` (excluded) on which the inverter was installed.
std::uint32_t DaysInService(std::int64_t from, std::int64_t to) {
  return static_cast<std::uint32_t>(std::max<std::int64_t>(0, to - std::max(from, kInstallEpochDay)));
}

// Share of today's yield delivered by this time of day.
double DayProgress(double secondOfDay) {
  const double x = std::clamp((secondOfDay - DayModel::kSunrise) / kDayLength, 0.0, 1.0);
  return (1.0 - std::cos(std::numbers::pi * x)) / 2.0;
}

}  // namespace

double DayModel::Sun(double secondOfDay) {
  if (secondOfDay <= kSunrise || secondOfDay >= kSunset) return 0.0;
  return std::sin(std::numbers::pi * (secondOfDay - kSunrise) / kDayLength);
}

double DayModel::Noise(int quantity, std::int64_t second) const {
  const std::uint64_t h =
      Random::Mix(seed_ ^ Random::Mix(static_cast<std::uint64_t>(second) * 64 + static_cast<std::uint64_t>(quantity)));
  return static_cast<double>(h >> 11) * 0x1.0p-52 - 1.0;
}

InverterState DayModel::At(const DateTime& t) const {
  InverterState s;
  const double secondOfDay = t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
  const std::int64_t second = ToEpochMilliseconds(t) / 1000;
  const double sun = Sun(secondOfDay);

  const double air = 14.0 + 6.0 * std::sin(2.0 * std::numbers::pi * (secondOfDay - 9.0 * 3600.0) / 86400.0);
  s.coolerTemperature = air + 28.0 * sun + 0.3 * Noise(kTemperatureNoise, second);
  s.periodMicroseconds = 20000.0 + 8.0 * Noise(kPeriodNoise, second);
  s.impedance = 0.45 + 0.02 * Noise(kImpedanceNoise, second);

  if (sun > 0.0) {
    const double root = std::sqrt(sun);
    s.acVoltage = 229.0 + 3.0 * sun + 1.5 * Noise(kAcVoltageNoise, second);
    s.acPower = kPeakPower * sun * (1.0 + 0.01 * Noise(kPowerNoise, second));
    s.acCurrent = s.acPower / s.acVoltage;
    s.efficiency = 90.0 + 5.6 * root;
    s.dcPower = s.acPower * 100.0 / s.efficiency;
    s.dcVoltage = 310.0 + 70.0 * root + 2.0 * Noise(kDcVoltageNoise, second);
    s.dcCurrent = s.dcPower / s.dcVoltage;
  }

  // Counters carry no noise, so they only grow.
  const std::int64_t today = EpochDay(t.year, t.month, t.day);
  const std::int64_t monthStart = EpochDay(t.year, t.month, 1);
  const std::int64_t lastMonthStart = t.month == 1 ? EpochDay(t.year - 1, 12, 1) : EpochDay(t.year, t.month - 1, 1);
  const std::int64_t yearStart = EpochDay(t.year, 1, 1);
  const std::int64_t lastYearStart = EpochDay(t.year - 1, 1, 1);
  const bool inService = today >= kInstallEpochDay;

  s.workCurrentDay =
      inService ? std::min(kDailyYield, static_cast<std::uint32_t>(std::floor(kDailyYield * DayProgress(secondOfDay))))
                : 0;
  s.workStartOfDay = kDailyYield * DaysInService(kInstallEpochDay, today);
  s.workTotal = s.workStartOfDay + s.workCurrentDay;
  s.workLastDay = kDailyYield * DaysInService(today - 1, today);
  s.workCurrentMonth = kDailyYield * DaysInService(monthStart, today) + s.workCurrentDay;
  s.workLastMonth = kDailyYield * DaysInService(lastMonthStart, monthStart);
  s.workStartOfMonth = s.workTotal - s.workCurrentMonth;
  s.workCurrentYear = kDailyYield * DaysInService(yearStart, today) + s.workCurrentDay;
  s.workLastYear = kDailyYield * DaysInService(lastYearStart, yearStart);
  s.workStartOfYear = s.workTotal - s.workCurrentYear;

  const double sunSoFar = std::clamp(secondOfDay - kSunrise, 0.0, kDayLength);
  s.workingSeconds = static_cast<std::uint32_t>(DaysInService(kInstallEpochDay, today) * kDayLength) +
                     (inService ? static_cast<std::uint32_t>(sunSoFar) : 0);
  return s;
}

}  // namespace helvanta::sim
