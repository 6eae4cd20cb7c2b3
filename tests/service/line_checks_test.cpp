#include <gtest/gtest.h>

#include "link/measurands.hpp"
#include "year/mark_ledger.hpp"
#include "year/sent_values.hpp"

namespace helvanta::year {
namespace {

// AC power (entries 7 and 8, hundredths of a watt) read twice, 45 s apart, while the
// count passes 65536 * 2: 1310.56 W (0001 FFF0) and then 1310.88 W (0002 0010).
TEST(SentValues, A32BitValueIsSentOnlyAsTheCountItWasWithinThePresenceWindow) {
  InitMeasurands();
  const TMeasurand low = Measurands[7];
  TSentValues sent;
  sent.Note({7, "FFF0", true, 0x0001FFF0}, 0);
  sent.Note({8, "0001", true, 0x0001FFF0}, 1'000);
  sent.Note({7, "0010", true, 0x00020010}, 45'000);
  // The high word of the second count went out damaged: its low word still carries it.
  sent.Note({8, "00G2", false, 0x00020010}, 46'000);
  struct Case {
    const char* text;
    std::int64_t atMs;
    bool sent;
  };
  for (const Case& c : {Case{"1310.56", 46'000, true}, Case{"1310.88", 46'000, true},
                        Case{"1965.92", 46'000, false},  // the new high word with the old low word
                        Case{"1310.56", 1'000 + 135'000, true}, Case{"1310.56", 1'000 + 135'001, false},
                        Case{"1310.88", 44'000, false}}) {
    EXPECT_EQ(sent.Sent(8, c.text, c.atMs), c.sent) << c.text << " at " << c.atMs;
  }
  // The scratch decoding leaves the program's table as it was.
  EXPECT_EQ(Measurands[8].Value, "N/A");
  EXPECT_EQ(Measurands[7].RawWord, low.RawWord);
  EXPECT_EQ(Measurands[7].Value, low.Value);
}

ClockReading At(std::int64_t utcMs, std::int64_t elapsedMs) { return {utcMs, 60, elapsedMs}; }

// One tick over the mark 10:01 (UTC 09:01), or over an hour the clock was set forward by.
TEST(MarkLedger, EveryMarkIsRecordedOrCoveredByAWarningOrItIsLost) {
  constexpr std::int64_t kTen = 9 * 3'600'000LL + 59'005;  // 10:00:59.005 local
  struct Case {
    std::int64_t stepMs;
    std::vector<TEventKind> events;
    bool recorded;
    std::uint64_t marks, recordedMarks, warned, jumped, lost;
  };
  const std::vector<Case> cases{
      {0, {}, true, 1, 1, 0, 0, 0},
      {0, {TEventKind::kRecordSkipped}, false, 1, 0, 1, 0, 0},
      {0, {}, false, 1, 0, 0, 0, 1},
      {3'600'000, {TEventKind::kClockSet}, false, 61, 0, 0, 60, 1},
      {3'600'000, {}, false, 61, 0, 0, 0, 61},
  };
  for (const Case& c : cases) {
    TMarkLedger ledger([](std::int64_t) { return 60; });
    ledger.Started(-3'600'000);
    TTickFacts facts;
    facts.before = At(kTen, 0);
    facts.now = At(kTen + c.stepMs + 1'000, 1'000);
    facts.clockSet = c.stepMs != 0;
    facts.portOpen = true;
    for (const TEventKind kind : c.events) facts.events.push_back({kind, ""});
    if (c.recorded) facts.records.push_back(DateTime{1970, 1, 1, 10, 1, 0, 0});
    ledger.Tick(facts, [](const ClockReading&, bool) {});
    const TMarkFigures& f = ledger.Figures();
    EXPECT_EQ(f.marks, c.marks) << c.stepMs;
    EXPECT_EQ(f.recorded, c.recordedMarks) << c.stepMs;
    EXPECT_EQ(f.skippedWarned, c.warned) << c.stepMs;
    EXPECT_EQ(f.jumpedByStep, c.jumped) << c.stepMs;
    EXPECT_EQ(f.lostWithoutWarning, c.lost) << c.stepMs;
  }
}

}  // namespace
}  // namespace helvanta::year
