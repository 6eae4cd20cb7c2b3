#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "logging/log_record.hpp"
#include "runtime/retry_schedule.hpp"

namespace helvanta {

class TLanguageList;

// Watches the logger's outcomes for logging marks that passed without a record because
// values were missing: the first such mark of a run is worth a warning naming them, a
// run that goes on one reminder an hour, and the first record after it a note of how
// many marks were missed. Marks in the first two polling cycles after the port opened
// with no values of before do not count: one lost answer there leaves a measurand
// without any.
class TRecordGaps {
 public:
  enum class Kind { kNone, kSkipped, kResumed };
  struct Report {
    Kind kind = Kind::kNone;
    std::string message;
  };
  // How long after the port opened without values a mark does not count.
  static constexpr std::int64_t kStartUpMs = 90'000;

  // The port opened at nowMs. A port opened again within the presence window of the
  // logger's last run (the day's window ending at 23:59:59 and beginning again at
  // midnight) goes on with the values it had: it has no start-up, its marks count at once.
  void PortOpened(std::int64_t nowMs);
  // The report for one run of the logger at now (every tick while the port is open);
  // messages use lineBreak for "\n".
  Report Note(const LogOutcome& outcome, std::int64_t nowMs, const TLanguageList& list, std::string_view lineBreak);
  // Marks that counted as passed without a record, since the start.
  std::uint64_t Skipped() const { return skipped_; }

 private:
  RetrySchedule reports_;
  std::int64_t openedAtMs_ = 0;
  std::optional<std::int64_t> lastRunMs_;
  bool startUp_ = false;
  int missed_ = 0;
  std::uint64_t skipped_ = 0;
};

}  // namespace helvanta
