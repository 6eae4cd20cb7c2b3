#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "runtime/date_time.hpp"

namespace helvanta {

// Where every host reads "now"; tests drive a whole day through a ManualClock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};

// The local wall clock of the machine.
class SystemClock final : public Clock {
 public:
  DateTime Now() const override;
};

// A clock that only moves when told to.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(DateTime start = {}) : now_(start) {}
  DateTime Now() const override;
  void Set(const DateTime& t);
  void Advance(std::int64_t milliseconds);

 private:
  mutable std::mutex mutex_;
  DateTime now_;
};

// The clock the program uses unless a test installs another one.
Clock& ProgramClock();
// Installs a clock for the whole process; nullptr goes back to the system clock.
void SetProgramClock(Clock* clock);

}  // namespace helvanta
