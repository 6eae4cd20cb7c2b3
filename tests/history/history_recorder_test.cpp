#include <gtest/gtest.h>

#include <filesystem>

#include "support/clock_readings.hpp"
#include "config/language.hpp"
#include "config/settings.hpp"
#include "config/temp_folder.hpp"
#include "history/history_reader.hpp"
#include "history/history_recorder.hpp"
#include "link/measurands.hpp"
#include "logging/measurand_presence.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

DateTime At(int hour, int minute, int second) { return DateTime{2026, 3, 2, hour, minute, second, 0}; }

// Every measurand answered at answeredAt, the one at index `late` (if any) at lateAt.
void AnswerAll(const DateTime& answeredAt, int late = -1, const DateTime& lateAt = {}) {
  InitMeasurands();
  for (int i = 0; i < kMeasurandCount; ++i) {
    TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
    m.Value = (i == 37 || i == 38) ? "00A1" : "1.00";
    m.GoodValue = m.Value;
    m.GoodAtMs = ToEpochMilliseconds(i == late ? lateAt : answeredAt);
  }
}

class HistoryRecorderTest : public ::testing::Test {
 protected:
  void StartWith(const std::string& database) {
    SetProgramFolder(folder.Path());
    WriteBytes(folder.File("Helvanta.ini"), "[History]\r\nDatabase=" + database + "\r\n");
    std::vector<TReplacedSetting> replaced;
    recorder.Start(replaced);
    EXPECT_TRUE(replaced.empty());
  }

  // One tick, then the writer's answer to it, as the next tick collects it.
  std::vector<THistoryMessage> TickAndSettle(const DateTime& now, bool portOpen = true) {
    std::vector<THistoryMessage> messages = recorder.Tick(ReadingAt(now), portOpen, list, " ");
    recorder.WaitIdle();
    for (THistoryMessage& m : recorder.Tick(ReadingAt(AddSeconds(now, 1)), portOpen, list, " ")) messages.push_back(std::move(m));
    return messages;
  }

  TempFolder folder;
  TLanguageList list;
  THistoryRecorder recorder;
};

TEST_F(HistoryRecorderTest, StoresTheMinuteMarksAtWhichEveryMeasurandIsPresent) {
  const std::string database = folder.File("h.sqlite");
  StartWith(database);
  const std::int64_t window = kPresenceWindowMs / 1000;
  struct Step {
    DateTime now;
    bool portOpen;
    int late;            // the measurand whose last good answer is older
    std::int64_t lateBy;  // seconds before now
  };
  const std::vector<Step> steps{
      {At(10, 0, 0), true, -1, 0},            // stored
      {At(10, 0, 0), true, -1, 0},            // the same mark again: not twice
      {At(10, 1, 30), true, -1, 0},           // no minute mark
      {At(10, 2, 0), false, -1, 0},           // port closed
      {At(10, 3, 0), true, 7, window + 1},    // one answer too old
      {At(10, 4, 0), true, 7, window},        // just within the window: stored
  };
  for (const Step& step : steps) {
    AnswerAll(AddSeconds(step.now, -1), step.late, AddSeconds(step.now, -step.lateBy));
    EXPECT_TRUE(TickAndSettle(step.now, step.portOpen).empty());
  }
  // The newest request still waiting: its last good value counts.
  AnswerAll(At(10, 4, 59));
  Measurands[5].Value = std::string(kNotAvailable);
  TickAndSettle(At(10, 5, 0));

  const std::vector<THistoryRow> rows = THistoryReader(database).DaySeries(2026, 3, 2);
  std::vector<DateTime> times;
  for (const THistoryRow& row : rows) times.push_back(MinuteTime(row.minute));
  EXPECT_EQ(times, (std::vector<DateTime>{At(10, 0, 0), At(10, 4, 0), At(10, 5, 0)}));
  EXPECT_EQ(rows.back().hundredths[0], 100);
  EXPECT_EQ(rows.back().texts[28], "00A1");
}

TEST_F(HistoryRecorderTest, AFailingDatabaseIsReportedOnceAndItsRecoveryWithTheLostMinutes) {
  const std::string database = folder.File("later/h.sqlite");
  StartWith(database);
  AnswerAll(At(10, 59, 59));
  const std::vector<THistoryMessage> first = TickAndSettle(At(11, 0, 0));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].severity, THistoryMessage::Severity::kError);
  EXPECT_EQ(first[0].text.rfind("History database not written: " + database + ": cannot be opened or created", 0), 0u)
      << first[0].text;
  AnswerAll(At(11, 0, 59));
  EXPECT_TRUE(TickAndSettle(At(11, 1, 0)).empty()) << "reported once";

  std::filesystem::create_directory(folder.File("later"));
  AnswerAll(At(11, 1, 59));
  const std::vector<THistoryMessage> recovered = TickAndSettle(At(11, 2, 0));
  ASSERT_EQ(recovered.size(), 1u);
  EXPECT_EQ(recovered[0].severity, THistoryMessage::Severity::kInformation);
  EXPECT_EQ(recovered[0].text.rfind("History database written again; 2 minutes were not stored", 0), 0u);
  EXPECT_EQ(THistoryReader(database).DaySeries(2026, 3, 2).size(), 1u);
}

}  // namespace
}  // namespace helvanta
