#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "service/event_log.hpp"

namespace helvanta::year {

enum class TEventKind {
  kStarted,        // 0004
  kStopped,        // 0005
  kLineLost,       // 4001
  kLineStillLost,  // 4002
  kLineBack,       // 4003
  kRecordSkipped,  // 4005
  kRecordsAgain,   // 4006
  kClockSet,       // 4080
  kOther,
};
inline constexpr std::size_t kEventKinds = static_cast<std::size_t>(TEventKind::kOther) + 1;

// The name of a kind with its language key, for the figures.
const char* EventKindName(TEventKind kind);

struct TTalliedEvent {
  TEventKind kind = TEventKind::kOther;
  std::string message;
};

// The service's event log for a long run: each event is told apart by its built-in
// text, counted by kind and by day, and kept only until the run has looked at its tick.
class TEventTally final : public TEventLog {
 public:
  void Write(TEventType type, const std::string& message) override;

  // Events are counted under this day (days since the run began).
  void SetDay(std::int64_t day) { day_ = day; }
  // The events since the last call.
  std::vector<TTalliedEvent> TakeNew();

  std::uint64_t Count(TEventKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
  std::uint64_t Total() const;
  // The most events of any one day.
  std::uint64_t MostInADay() const;
  const std::vector<std::string>& OtherMessages() const { return others_; }

 private:
  std::array<std::uint64_t, kEventKinds> counts_{};
  std::vector<std::uint64_t> perDay_;
  std::vector<TTalliedEvent> new_;
  std::vector<std::string> others_;  // the first few, for the report
  std::int64_t day_ = 0;
};

}  // namespace helvanta::year
