#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/clock.hpp"
#include "year/event_tally.hpp"

namespace helvanta::year {

// What one tick of the service did, as the run saw it from outside.
struct TTickFacts {
  ClockReading before;      // the reading of the tick before
  ClockReading now;         // the reading of this tick
  bool clockSet = false;    // the wall clock was set in between
  bool portOpen = false;    // after the tick
  bool portOpened = false;  // closed before the tick, open after it
  std::vector<TTalliedEvent> events;
  std::vector<DateTime> records;  // the times of the records the tick wrote
};

struct TMarkFigures {
  std::uint64_t marks = 0;  // local minute marks the wall clock passed or jumped over
  std::uint64_t recorded = 0;
  std::uint64_t skippedWarned = 0;  // in a run of skipped marks that began with 4005
  std::uint64_t inOutage = 0;       // port closed after a reported loss of the line
  std::uint64_t inStartUp = 0;      // in the start-up after a start or a reported reconnect
  std::uint64_t jumpedByStep = 0;   // jumped over by a clock step reported with 4080
  std::uint64_t lostWithoutWarning = 0;
  std::uint64_t unexpectedRecords = 0;  // records of no mark of their tick
  std::uint64_t resumesCounted = 0;     // 4006 events
  std::uint64_t resumesMiscounted = 0;  // 4006 whose number is not the marks skipped since 4005
  std::uint64_t stepsReported = 0;
  std::uint64_t stepsUnreported = 0;  // clock steps without a 4080 in their tick
};

// Accounts for every logging mark (interval 1): a record, or a warning that covers it.
class TMarkLedger {
 public:
  using Zone = std::function<int(std::int64_t utcMs)>;

  explicit TMarkLedger(Zone zone) : zone_(std::move(zone)) {}

  // The service started, its port open, at elapsedMs.
  void Started(std::int64_t elapsedMs);
  // Accounts for the marks of one tick; each mark goes to eachMark with whether it was recorded.
  void Tick(const TTickFacts& facts, const std::function<void(const ClockReading& mark, bool recorded)>& eachMark);

  const TMarkFigures& Figures() const { return figures_; }
  // The first marks lost without a warning, for the report.
  const std::vector<std::string>& Lost() const { return lost_; }

 private:
  ClockReading MarkAt(std::int64_t utcMs, const ClockReading& now) const;
  void Account(const ClockReading& mark, bool jumped, const TTickFacts& facts, bool& skipWarnedNow,
               std::vector<DateTime>& records, const std::function<void(const ClockReading&, bool)>& eachMark);
  void Lose(const ClockReading& mark, const char* why);

  Zone zone_;
  TMarkFigures figures_;
  std::vector<std::string> lost_;
  bool warnedRun_ = false;
  std::uint64_t runSkips_ = 0;
  bool lineLossReported_ = false;
  std::int64_t openedAtMs_ = 0;
  bool openReported_ = false;
  bool startUpAfterOpen_ = false;
  std::optional<std::int64_t> lastOpenMs_;  // the last tick that found the port open
};

}  // namespace helvanta::year
