#pragma once

#include <cstdint>
#include <optional>

#include "runtime/clock.hpp"

namespace helvanta {

// Decides, tick by tick, which logging mark is due. A mark is due in its second 00, as
// the wall clock shows it; in autumn the repeated hour's marks therefore come twice,
// an hour apart, as the local clock shows them. Beyond that it remembers the last tick,
// so that a mark whose second 00 no tick saw (the clock set forward over it, a tick
// that came late) is still written at the next tick, and a mark already due a moment
// ago (the clock set back into its second) is not written twice.
class TLogMarks {
 public:
  // The mark due at now for the interval in minutes (every minute when below 1), as a
  // reading of the clock at that mark, or nothing.
  std::optional<ClockReading> Due(const ClockReading& now, int interval);

 private:
  std::optional<ClockReading> lastTick_;
  std::optional<ClockReading> lastMark_;
};

}  // namespace helvanta
