#pragma once

#include <cstdint>
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
// do not count: one lost answer there leaves a measurand without any.
class TRecordGaps {
 public:
  enum class Kind { kNone, kSkipped, kResumed };
  struct Report {
    Kind kind = Kind::kNone;
    std::string message;
  };

  void PortOpened(std::int64_t nowMs) { openedAtMs_ = nowMs; }
  // The report for one run of the logger at now; messages use lineBreak for "\n".
  Report Note(const LogOutcome& outcome, std::int64_t nowMs, const TLanguageList& list, std::string_view lineBreak);

 private:
  RetrySchedule reports_;
  std::int64_t openedAtMs_ = 0;
  int missed_ = 0;
};

}  // namespace helvanta
