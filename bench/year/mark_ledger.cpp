#include "year/mark_ledger.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "config/language.hpp"
#include "logging/measurand_presence.hpp"
#include "logging/record_gaps.hpp"

namespace helvanta::year {

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
constexpr std::size_t kLostKept = 20;

bool Has(const TTickFacts& facts, TEventKind kind) {
  return std::any_of(facts.events.begin(), facts.events.end(), [&](const TTalliedEvent& e) { return e.kind == kind; });
}

// The number a 4006 event names.
std::uint64_t ResumeCount(std::string_view message) {
  const std::string_view text = BuiltinText("4006");
  const std::size_t at = text.find("%s");
  std::uint64_t count = 0;
  if (at != std::string_view::npos && message.size() > at) {
    std::from_chars(message.data() + at, message.data() + message.size(), count);
  }
  return count;
}

}  // namespace

void TMarkLedger::Started(std::int64_t elapsedMs) {
  openedAtMs_ = elapsedMs;
  openReported_ = true;
  startUpAfterOpen_ = true;
}

ClockReading TMarkLedger::MarkAt(std::int64_t utcMs, const ClockReading& now) const {
  return {utcMs, zone_(utcMs), now.elapsedMs - (now.utcMs - utcMs)};
}

void TMarkLedger::Tick(const TTickFacts& facts,
                       const std::function<void(const ClockReading& mark, bool recorded)>& eachMark) {
  if (facts.portOpened) {
    openedAtMs_ = facts.now.elapsedMs;
    openReported_ = Has(facts, TEventKind::kStarted) || Has(facts, TEventKind::kLineBack);
    lineLossReported_ = false;
    // As the service's record gaps judge it: opened again within the presence window, the
    // port goes on with the values it had.
    startUpAfterOpen_ = !lastOpenMs_ || facts.now.elapsedMs - *lastOpenMs_ > kPresenceWindowMs;
  }
  if (Has(facts, TEventKind::kLineLost)) lineLossReported_ = true;
  if (facts.clockSet) ++(Has(facts, TEventKind::kClockSet) ? figures_.stepsReported : figures_.stepsUnreported);

  // The wall clock ran through the tick's elapsed time up to now; what lies between the
  // two readings before that, it jumped over.
  const std::int64_t shownFrom = facts.now.utcMs - (facts.now.elapsedMs - facts.before.elapsedMs);
  const std::int64_t jumpedFrom = facts.clockSet ? std::min(facts.before.utcMs, shownFrom) : shownFrom;
  std::vector<DateTime> records = facts.records;
  bool skipWarnedNow = Has(facts, TEventKind::kRecordSkipped);
  for (std::int64_t m = jumpedFrom / kMsPerMinute + 1; m * kMsPerMinute <= facts.now.utcMs; ++m) {
    const std::int64_t utc = m * kMsPerMinute;
    Account(MarkAt(utc, facts.now), utc <= shownFrom, facts, skipWarnedNow, records, eachMark);
  }
  figures_.unexpectedRecords += records.size();
  if (facts.portOpen) lastOpenMs_ = facts.now.elapsedMs;

  if (!facts.records.empty()) {
    for (const TTalliedEvent& e : facts.events) {
      if (e.kind != TEventKind::kRecordsAgain) continue;
      ++figures_.resumesCounted;
      if (ResumeCount(e.message) != runSkips_) ++figures_.resumesMiscounted;
    }
    warnedRun_ = false;
    runSkips_ = 0;
  }
}

void TMarkLedger::Account(const ClockReading& mark, bool jumped, const TTickFacts& facts, bool& skipWarnedNow,
                          std::vector<DateTime>& records,
                          const std::function<void(const ClockReading&, bool)>& eachMark) {
  ++figures_.marks;
  const auto record = std::find(records.begin(), records.end(), mark.Local());
  const bool recorded = record != records.end();
  eachMark(mark, recorded);
  if (recorded) {
    records.erase(record);
    ++figures_.recorded;
    return;
  }
  if (jumped) {
    if (Has(facts, TEventKind::kClockSet)) {
      ++figures_.jumpedByStep;
    } else {
      Lose(mark, "jumped over by an unreported step");
    }
    return;
  }
  const bool startUp = startUpAfterOpen_ && facts.now.elapsedMs - openedAtMs_ < TRecordGaps::kStartUpMs;
  if (facts.portOpen && !startUp) ++runSkips_;
  // The tick's warning is about the one mark its logger found due.
  if (skipWarnedNow) warnedRun_ = true;
  skipWarnedNow = false;
  if (warnedRun_) {
    ++figures_.skippedWarned;
  } else if (!facts.portOpen) {
    if (lineLossReported_) {
      ++figures_.inOutage;
    } else {
      Lose(mark, "port closed, no loss of the line reported");
    }
  } else if (startUp) {
    if (openReported_) {
      ++figures_.inStartUp;
    } else {
      Lose(mark, "start-up after an unreported reconnect");
    }
  } else {
    Lose(mark, "skipped without a warning");
  }
}

void TMarkLedger::Lose(const ClockReading& mark, const char* why) {
  ++figures_.lostWithoutWarning;
  if (lost_.size() < kLostKept) lost_.push_back(DateTimeText(mark.Local()) + ": " + why);
}

}  // namespace helvanta::year
