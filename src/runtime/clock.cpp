#include "runtime/clock.hpp"

#include <ctime>

namespace helvanta {

DateTime SystemClock::Now() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second reads as :59
  t.millisecond = static_cast<int>(ts.tv_nsec / 1'000'000);
  return t;
}

DateTime ManualClock::Now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

void ManualClock::Set(const DateTime& t) {
  std::lock_guard lock(mutex_);
  now_ = t;
}

void ManualClock::Advance(std::int64_t milliseconds) {
  std::lock_guard lock(mutex_);
  now_ = AddMilliseconds(now_, milliseconds);
}

namespace {
SystemClock gSystemClock;
std::atomic<Clock*> gProgramClock{nullptr};
}  // namespace

Clock& ProgramClock() {
  Clock* c = gProgramClock.load();
  return c != nullptr ? *c : gSystemClock;
}

void SetProgramClock(Clock* clock) { gProgramClock.store(clock); }

}  // namespace helvanta
