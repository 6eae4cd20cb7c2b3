#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "runtime/date_time.hpp"

namespace helvanta {

// One reading of the clocks: the wall clock as a UTC instant with the local offset
// that applies to it, and the elapsed time, which never steps. Records are dated on the
// wall clock; every age and every wait is measured on the elapsed time, so that a clock
// set back or forward, or a change to or from summer time, never makes a fresh value
// old or an old one fresh.
struct ClockReading {
  std::int64_t utcMs = 0;
  int offsetMinutes = 0;  // local time = UTC + offset
  std::int64_t elapsedMs = 0;

  DateTime Local() const { return FromEpochMilliseconds(LocalMs()); }
  std::int64_t LocalMs() const { return utcMs + static_cast<std::int64_t>(offsetMinutes) * 60'000; }
};

// Where every host reads "now"; tests drive a whole day through a ManualClock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual ClockReading Read() const = 0;
  // The local offset in minutes of the clock's time zone at a UTC instant.
  virtual int OffsetMinutesAt(std::int64_t utcMs) const = 0;
  // The UTC instant of a local time. In the hour that is repeated when summer time ends
  // it is the first of the two, or the second with later; a local time that the change
  // to summer time skips counts with the offset before the change.
  std::int64_t UtcOfLocal(const DateTime& local, bool later = false) const;
  // The local wall-clock date and time.
  DateTime Now() const { return Read().Local(); }
  // Milliseconds of the elapsed time (since an arbitrary start).
  std::int64_t ElapsedMs() const { return Read().elapsedMs; }
};

// The machine's clocks: the real-time clock with the local time zone, and the time
// since boot (suspend included) for ages.
class SystemClock final : public Clock {
 public:
  ClockReading Read() const override;
  int OffsetMinutesAt(std::int64_t utcMs) const override;
};

// A clock that only moves when told to, in a time zone of the test's choosing.
class ManualClock final : public Clock {
 public:
  // The local offset in minutes at a UTC instant (milliseconds).
  using Zone = std::function<int(std::int64_t utcMs)>;

  explicit ManualClock(DateTime start = {}, Zone zone = {});
  ClockReading Read() const override;
  int OffsetMinutesAt(std::int64_t utcMs) const override { return zone_ ? zone_(utcMs) : 0; }
  // The clock reads local time t: time passes until then, or, for a t earlier than now,
  // the wall clock is set back while the elapsed time stands still.
  void Set(const DateTime& t);
  // Time passes: the wall clock and the elapsed time move together.
  void Advance(std::int64_t milliseconds);
  // The wall clock is set forward (or back, when negative) without time passing.
  void Step(std::int64_t milliseconds);

 private:
  mutable std::mutex mutex_;
  Zone zone_;
  std::int64_t utcMs_ = 0;
  std::int64_t elapsedMs_ = 0;
};

// The clock the program uses unless a test installs another one.
Clock& ProgramClock();
// Installs a clock for the whole process; nullptr goes back to the system clock.
void SetProgramClock(Clock* clock);

}  // namespace helvanta
