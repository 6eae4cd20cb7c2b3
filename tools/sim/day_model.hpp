#pragma once

#include <cstdint>

#include "runtime/date_time.hpp"

namespace helvanta::sim {

// What the inverter measures and counts at one moment.
struct InverterState {
  double acVoltage = 0.0;           // V
  double acCurrent = 0.0;           // A
  double acPower = 0.0;             // W
  double dcVoltage = 0.0;           // V
  double dcCurrent = 0.0;           // A
  double dcPower = 0.0;             // W
  double coolerTemperature = 0.0;   // degrees Celsius
  double efficiency = 0.0;          // %
  double periodMicroseconds = 0.0;  // of the grid voltage
  double impedance = 0.0;           // ohm, of the grid
  // Energy, in units of 0.1 kWh.
  std::uint32_t workTotal = 0;
  std::uint32_t workCurrentDay = 0;
  std::uint32_t workLastDay = 0;
  std::uint32_t workStartOfDay = 0;
  std::uint32_t workCurrentMonth = 0;
  std::uint32_t workLastMonth = 0;
  std::uint32_t workStartOfMonth = 0;
  std::uint32_t workCurrentYear = 0;
  std::uint32_t workLastYear = 0;
  std::uint32_t workStartOfYear = 0;
  std::uint32_t workingSeconds = 0;  // time spent feeding the grid since installation
};

// A sunny day, every day: the sun is up from kSunrise to kSunset and the inverter
// feeds in a sine-shaped power that yields kDailyYield a day. Noise is a function of
// the seed and the second, so a reading does not depend on what was asked before.
class DayModel {
 public:
  static constexpr int kSunrise = 6 * 3600;  // seconds after midnight
  static constexpr int kSunset = 20 * 3600;
  static constexpr std::uint32_t kDailyYield = 85;  // 0.1 kWh
  static constexpr int kInstallYear = 2009;
  static constexpr int kInstallMonth = 3;
  static constexpr int kInstallDay = 1;

  explicit DayModel(std::uint64_t seed) : seed_(seed) {}

  InverterState At(const DateTime& t) const;

  // Share of the full sun at this time of day, 0 at night and 1 at noon.
  static double Sun(double secondOfDay);

 private:
  double Noise(int quantity, std::int64_t second) const;

  std::uint64_t seed_;
};

}  // namespace helvanta::sim
