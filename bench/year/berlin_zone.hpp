#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>

#include "support/clock_readings.hpp"

namespace helvanta::year {

// Berlin's offset (CentralEuropeanOffset), kept for the UTC hour asked last: a clock asks
// at every reading, and the offset changes only at whole UTC hours. Copies share what
// they keep; any thread may ask.
class TBerlinZone {
 public:
  int operator()(std::int64_t utcMs) const {
    const std::int64_t hour = FloorDiv(utcMs, kHourMs);
    const std::int64_t kept = kept_->load(std::memory_order_relaxed);
    if (FloorDiv(kept, kPacked) == hour) return static_cast<int>(kept - hour * kPacked) - kOffsetBias;
    const int offset = CentralEuropeanOffset(utcMs);
    kept_->store(hour * kPacked + offset + kOffsetBias, std::memory_order_relaxed);
    return offset;
  }

 private:
  static constexpr std::int64_t kHourMs = 3'600'000;
  // The hour and the offset in one word, so a reader never sees one without the other;
  // the first value names no hour a clock reads (and divides without overflow).
  static constexpr std::int64_t kPacked = 4096;
  static constexpr int kOffsetBias = 2048;

  static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : (a - b + 1) / b; }

  std::shared_ptr<std::atomic<std::int64_t>> kept_ =
      std::make_shared<std::atomic<std::int64_t>>(std::numeric_limits<std::int64_t>::max());
};

}  // namespace helvanta::year
