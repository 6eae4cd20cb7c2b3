#include <ctime>

#include "runtime/clock.hpp"

namespace helvanta {

namespace {

std::int64_t Milliseconds(const timespec& ts) {
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

}  // namespace

ClockReading SystemClock::Read() const {
  timespec wall{};
  clock_gettime(CLOCK_REALTIME, &wall);
  // Boot time counts a suspend too, so a value read before it is old after it.
  timespec elapsed{};
  clock_gettime(CLOCK_BOOTTIME, &elapsed);
  tm local{};
  localtime_r(&wall.tv_sec, &local);
  return {Milliseconds(wall), static_cast<int>(local.tm_gmtoff / 60), Milliseconds(elapsed)};
}

}  // namespace helvanta

namespace helvanta {

int SystemClock::OffsetMinutesAt(std::int64_t utcMs) const {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  tm local{};
  localtime_r(&seconds, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace helvanta
