#include "runtime/clock.hpp"

#include <algorithm>

namespace helvanta {

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
// Larger than any difference between two offsets of one zone.
constexpr std::int64_t kAroundChangeMs = 3 * 3'600'000;

}  // namespace

std::int64_t Clock::UtcOfLocal(const DateTime& local, bool later) const {
  const std::int64_t ms = ToEpochMilliseconds(local);
  // The offsets a little before and a little after the instant are the two candidates
  // around a change; each gives the local time back where it is the one in force.
  const int before = OffsetMinutesAt(ms - kAroundChangeMs);
  const int after = OffsetMinutesAt(ms + kAroundChangeMs);
  const std::int64_t first = ms - before * kMsPerMinute;
  const std::int64_t second = ms - after * kMsPerMinute;
  const bool firstFits = OffsetMinutesAt(first) == before;
  const bool secondFits = OffsetMinutesAt(second) == after;
  if (firstFits && secondFits) return later ? std::max(first, second) : std::min(first, second);
  if (secondFits) return second;
  return first;
}

ManualClock::ManualClock(DateTime start, Zone zone) : zone_(std::move(zone)) { utcMs_ = UtcOfLocal(start); }

ClockReading ManualClock::Read() const {
  std::lock_guard lock(mutex_);
  return {utcMs_, OffsetMinutesAt(utcMs_), elapsedMs_};
}

void ManualClock::Set(const DateTime& t) {
  std::lock_guard lock(mutex_);
  const std::int64_t utc = UtcOfLocal(t);
  if (utc > utcMs_) elapsedMs_ += utc - utcMs_;
  utcMs_ = utc;
}

void ManualClock::Advance(std::int64_t milliseconds) {
  std::lock_guard lock(mutex_);
  utcMs_ += milliseconds;
  elapsedMs_ += milliseconds;
}

void ManualClock::Step(std::int64_t milliseconds) {
  std::lock_guard lock(mutex_);
  utcMs_ += milliseconds;
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
