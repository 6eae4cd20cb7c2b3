#include "logging/record_gaps.hpp"

#include <gtest/gtest.h>

#include <optional>

#include "config/language.hpp"
#include "link/measurands.hpp"

namespace helvanta {
namespace {

constexpr std::int64_t kMinute = 60'000;

// Marks once a minute for three hours: records stop after the first hour for 70
// minutes; the gap is reported at its start, reminded hourly and closed.
TEST(RecordGapsTest, SkippedMarksAreReportedOnceThenHourlyAndTheirEndCounted) {
  InitMeasurands();
  const TLanguageList english;
  TRecordGaps gaps;
  gaps.PortOpened(0);
  const LogOutcome notDue;
  const LogOutcome written{0, true, {}};
  const LogOutcome skipped{0, true, {8, 7}};
  const LogOutcome templateMissing{1, true, {}};

  // Marks within two cycles of opening are no gap yet.
  EXPECT_EQ(gaps.Note(skipped, kMinute, english, "\n").kind, TRecordGaps::Kind::kNone);
  std::vector<std::pair<std::int64_t, TRecordGaps::Report>> reports;
  for (std::int64_t minute = 2; minute <= 180; ++minute) {
    const LogOutcome& outcome = minute < 60 || minute >= 130 ? written : skipped;
    EXPECT_EQ(gaps.Note(notDue, minute * kMinute + 1000, english, "\n").kind, TRecordGaps::Kind::kNone);
    if (TRecordGaps::Report r = gaps.Note(outcome, minute * kMinute, english, "\n");
        r.kind != TRecordGaps::Kind::kNone) {
      reports.emplace_back(minute, r);
    }
  }
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].first, 60);
  EXPECT_EQ(reports[0].second.kind, TRecordGaps::Kind::kSkipped);
  EXPECT_EQ(reports[0].second.message, "No record written: no recent answer for Power (AC), Power (AC) (low word).");
  EXPECT_EQ(reports[1].first, 120);
  EXPECT_EQ(reports[1].second.kind, TRecordGaps::Kind::kSkipped);
  EXPECT_EQ(reports[2].first, 130);
  EXPECT_EQ(reports[2].second.kind, TRecordGaps::Kind::kResumed);
  EXPECT_EQ(reports[2].second.message, "Records are written again; 70 logging marks were missed.");
  // A file error is no gap of values: neither counted nor reported here.
  EXPECT_EQ(gaps.Note(templateMissing, 181 * kMinute, english, "\n").kind, TRecordGaps::Kind::kNone);
}

// The day's window ends at 23:59:59 and begins again at 00:00:00: the port opens again
// a second after the logger last ran, and a mark skipped a minute later is a gap like
// any other, even though a value was missing at the opening. Opened for the first time,
// or after the values have aged, the same mark is part of the start-up.
TEST(RecordGapsTest, OnlyAPortOpenedWithoutValuesOfBeforeHasAStartUp) {
  const TLanguageList english;
  const LogOutcome notDue;
  const LogOutcome skipped{0, true, {20}};
  struct Case {
    std::optional<std::int64_t> lastRunMs;
    TRecordGaps::Kind kind;
  };
  for (const Case& c : {Case{-1'000, TRecordGaps::Kind::kSkipped}, Case{std::nullopt, TRecordGaps::Kind::kNone},
                        Case{-136'000, TRecordGaps::Kind::kNone}}) {
    InitMeasurands();
    TRecordGaps gaps;
    if (c.lastRunMs) gaps.Note(notDue, *c.lastRunMs, english, "\n");
    gaps.PortOpened(0);
    EXPECT_EQ(gaps.Note(skipped, kMinute, english, "\n").kind, c.kind) << c.lastRunMs.value_or(0);
  }
}

}  // namespace
}  // namespace helvanta
