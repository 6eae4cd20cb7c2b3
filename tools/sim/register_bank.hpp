#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "sim/day_model.hpp"
#include "sim/registers.hpp"

namespace helvanta::sim {

// One data word read from the inverter; for a half of a 32-bit count, also the count.
struct Reading {
  std::uint16_t word = 0;
  std::optional<std::uint32_t> total;
};

// Reads registers from the day model. Asking for a low word latches the whole 32-bit
// count, and its high word asked for within kLatchMicros comes from that latch, so the
// two halves always belong together even when the count carries in between.
class RegisterBank {
 public:
  static constexpr std::int64_t kLatchMicros = 5'000'000;

  explicit RegisterBank(const DayModel& model) : model_(model) {}

  Reading Read(const Register& r, const DateTime& simNow, std::int64_t steadyMicros);

 private:
  struct Latch {
    std::uint32_t value = 0;
    std::int64_t atMicros = 0;
  };

  const DayModel& model_;
  std::map<Quantity, Latch> latches_;
};

}  // namespace helvanta::sim
