#include "sim/register_bank.hpp"

namespace helvanta::sim {

Reading RegisterBank::Read(const Register& r, const DateTime& simNow, std::int64_t steadyMicros) {
  std::uint32_t value = 0;
  const auto latch = latches_.find(r.quantity);
  if (r.half == Half::High && latch != latches_.end() && steadyMicros - latch->second.atMicros <= kLatchMicros) {
    value = latch->second.value;
    latches_.erase(latch);
  } else {
    value = RawValue(r.quantity, model_.At(simNow));
  }
  if (r.half == Half::Low) latches_[r.quantity] = Latch{value, steadyMicros};

  Reading reading;
  switch (r.half) {
    case Half::Whole: reading.word = static_cast<std::uint16_t>(value); break;
    case Half::Low:
      reading.word = static_cast<std::uint16_t>(value & 0xFFFF);
      reading.total = value;
      break;
    case Half::High:
      reading.word = static_cast<std::uint16_t>(value >> 16);
      reading.total = value;
      break;
  }
  return reading;
}

}  // namespace helvanta::sim
