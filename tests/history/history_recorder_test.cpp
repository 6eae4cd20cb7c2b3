#include <gtest/gtest.h>

#include <filesystem>

#include "config/language.hpp"
#include "config/settings.hpp"
#include "history/history_reader.hpp"
#include "history/history_recorder.hpp"
#include "history/history_store.hpp"
#include "link/measurands.hpp"
#include "logging/measurand_presence.hpp"
#include "runtime/program_folder.hpp"
#include "support/clock_readings.hpp"
#include "support/file_bytes.hpp"
#include "support/history_fixtures.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

constexpr std::int64_t kMinuteMs = 60'000;

DateTime At(int hour, int minute, int second) { return DateTime{2026, 3, 2, hour, minute, second, 0}; }

// Every measurand answered `value` at elapsed time answeredMs, the one at index `late`
// (if any) at lateMs.
void AnswerAll(std::int64_t answeredMs, const std::string& value = "1.00", int late = -1, std::int64_t lateMs = 0) {
  InitMeasurands();
  for (int i = 0; i < kMeasurandCount; ++i) {
    TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
    m.Value = (i == 37 || i == 38) ? "00A1" : value;
    m.GoodValue = m.Value;
    m.GoodAtMs = i == late ? lateMs : answeredMs;
  }
}

// A record of the template below: the local date and time and the AC voltage.
std::string Record(const DateTime& t, const std::string& voltage) {
  char date[16];
  char time[16];
  char line[64];
  std::snprintf(date, sizeof date, "%02d/%02d/%04d", t.month, t.day, t.year);
  std::snprintf(time, sizeof time, "%02d:%02d:00", t.hour, t.minute);
  std::snprintf(line, sizeof line, "%12s,%12s,%12s\r\n", date, time, voltage.c_str());
  return line;
}

// A recorder whose clock keeps Berlin's time, with its CSV files in the folder.
class HistoryRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramClock(&clock);
    SetProgramFolder(folder.Path());
    std::filesystem::create_directory(folder.File("csv"));
    AppSettings.OutputFolder = folder.File("csv");
    AppSettings.TemplateFile = folder.File("Template.csv");
    WriteBytes(AppSettings.TemplateFile, "Date,Time,U\r\n%date%,%time%,%1%\r\n");
  }
  void TearDown() override {
    recorder.Stop();
    SetProgramClock(nullptr);
    AppSettings = TAppSettings{};
  }

  void StartWith(const std::string& database) {
    WriteBytes(folder.File("Helvanta.ini"), "[History]\r\nDatabase=" + database + "\r\n");
    std::vector<TReplacedSetting> replaced;
    recorder.Start({list, " ", replaced});
    EXPECT_TRUE(replaced.empty());
  }

  // A tick at the clock's time, then the writer's answer to it, as the next tick collects it.
  std::vector<THostMessage> TickAndSettle(bool portOpen = true) {
    ClockReading now = clock.Read();
    std::vector<THostMessage> messages = recorder.Tick({now, portOpen, "", "", "", list, " ", {}});
    recorder.WaitIdle();
    now.utcMs += 1000;
    now.elapsedMs += 1000;
    for (THostMessage& m : recorder.Tick({now, portOpen, "", "", "", list, " ", {}})) messages.push_back(std::move(m));
    recorder.WaitIdle();
    return messages;
  }

  // Every measurand answered a second ago, then a tick.
  std::vector<THostMessage> AnsweredTick(const std::string& value = "1.00") {
    AnswerAll(clock.ElapsedMs() - 1000, value);
    return TickAndSettle();
  }

  TempFolder folder;
  TLanguageList list;
  ManualClock clock{At(9, 0, 0), CentralEuropeanOffset};
  THistoryRecorder recorder;
};

TEST_F(HistoryRecorderTest, StoresTheMinuteMarksAtWhichEveryMeasurandIsPresent) {
  const std::string database = folder.File("h.sqlite");
  testing::MakeVersionOneFile(database);
  StartWith(database);
  recorder.WaitIdle();
  EXPECT_NO_THROW(THistoryReader(database).DaySeries(2026, 3, 2)) << "an older file is converted at the start";
  const std::int64_t window = kPresenceWindowMs / 1000;
  struct Step {
    DateTime now;
    bool portOpen;
    int late;             // the measurand whose last good answer is older
    std::int64_t lateBy;  // seconds before now
  };
  const std::vector<Step> steps{
      {At(10, 0, 0), true, -1, 0},          // stored
      {At(10, 0, 0), true, -1, 0},          // the same mark again: not twice
      {At(10, 1, 30), true, -1, 0},         // no minute mark
      {At(10, 2, 0), false, -1, 0},         // port closed
      {At(10, 3, 0), true, 7, window + 1},  // one answer too old
      {At(10, 4, 0), true, 7, window},      // just within the window: stored
  };
  for (const Step& step : steps) {
    clock.Set(step.now);
    AnswerAll(clock.ElapsedMs() - 1000, "1.00", step.late, clock.ElapsedMs() - step.lateBy * 1000);
    EXPECT_TRUE(TickAndSettle(step.portOpen).empty());
  }
  // The newest request still waiting: its last good value counts.
  clock.Set(At(10, 5, 0));
  AnswerAll(clock.ElapsedMs() - 1000);
  Measurands[5].Value = std::string(kNotAvailable);
  TickAndSettle();

  const std::vector<THistoryRow> rows = THistoryReader(database).DaySeries(2026, 3, 2);
  std::vector<DateTime> times;
  for (const THistoryRow& row : rows) times.push_back(MinuteTime(row.LocalMinute()));
  EXPECT_EQ(times, (std::vector<DateTime>{At(10, 0, 0), At(10, 4, 0), At(10, 5, 0)}));
  EXPECT_EQ(rows.back().offsetMinutes, 60);
  EXPECT_EQ(rows.back().hundredths[0], 100);
  EXPECT_EQ(rows.back().texts[28], "00A1");
}

// Both 02:00-02:59 hours of the autumn night are kept; after the clock is set back, the
// minutes stored already keep their first row and the writer goes on without a word.
TEST_F(HistoryRecorderTest, KeepsTheRepeatedHourAndGoesOnAfterTheClockIsSetBack) {
  const std::string database = folder.File("h.sqlite");
  clock.Set(DateTime{2026, 10, 25, 2, 58, 0, 0});
  StartWith(database);
  struct Step {
    std::int64_t setMs;  // the wall clock set by this much, no time passing
    std::string value;
  };
  const std::vector<Step> steps{{0, "1.00"}, {0, "1.00"}, {0, "1.00"}, {0, "1.00"}, {-2 * kMinuteMs, "2.00"},
                                {0, "2.00"}, {0, "2.00"}};
  AnsweredTick();
  for (const Step& step : steps) {
    clock.Step(step.setMs);
    clock.Advance(kMinuteMs);
    EXPECT_TRUE(AnsweredTick(step.value).empty());
  }
  struct Stored {
    DateTime utc;
    int offset;
    std::int64_t voltage;
    bool operator==(const Stored&) const = default;
  };
  std::vector<Stored> stored;
  for (const THistoryRow& row : THistoryReader(database).DaySeries(2026, 10, 25)) {
    stored.push_back({MinuteTime(row.utcMinute), row.offsetMinutes, row.hundredths[0].value_or(-1)});
  }
  const auto utc = [](int hour, int minute) { return DateTime{2026, 10, 25, hour, minute, 0, 0}; };
  // Local 02:58 and 02:59 summer time, 02:00 to 02:03 winter time; set back over
  // 02:01 and 02:02, which were stored before.
  EXPECT_EQ(stored, (std::vector<Stored>{{utc(0, 58), 120, 100},
                                         {utc(0, 59), 120, 100},
                                         {utc(1, 0), 60, 100},
                                         {utc(1, 1), 60, 100},
                                         {utc(1, 2), 60, 100},
                                         {utc(1, 3), 60, 200}}));
}

// A record the CSV file got and the history did not (the program ended between the two)
// is added when the writer starts, the repeated hour's records in the order of the file.
TEST_F(HistoryRecorderTest, AddsTheMinutesOfTheCsvFilesThatTheHistoryLacksAtStart) {
  const std::string database = folder.File("h.sqlite");
  const auto local = [](int day, int hour, int minute) { return DateTime{2026, 10, day, hour, minute, 0, 0}; };
  WriteBytes(folder.File("csv/261024.csv"), "Date,Time,U\r\n" + Record(local(24, 23, 59), "229.00"));
  WriteBytes(folder.File("csv/261025.csv"), "Date,Time,U\r\n" + Record(local(25, 2, 30), "230.00") +
                                                Record(local(25, 2, 59), "231.00") + Record(local(25, 2, 0), "232.00") +
                                                Record(local(25, 2, 30), "233.00") + Record(local(25, 3, 0), "234.00"));
  // The first 02:30 is stored already, with another value.
  THistoryRow present = testing::FullRow(MinuteOf(DateTime{2026, 10, 25, 0, 30, 0, 0}));
  present.offsetMinutes = 120;
  ASSERT_EQ(THistoryStore().Write(database, std::vector{present}).fault, THistoryFault::kNone);

  clock.Set(local(25, 9, 0));
  StartWith(database);
  recorder.WaitIdle();
  const std::vector<THostMessage> messages = recorder.Tick({clock.Read(), false, "", "", "", list, " ", {}});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].severity, THostMessage::Severity::kInformation);
  EXPECT_EQ(messages[0].text, "History: 5 minutes that the CSV files hold were added from them.");

  THistoryReader reader(database);
  std::vector<std::pair<std::int64_t, std::optional<std::int64_t>>> rows;
  for (const int day : {24, 25}) {
    for (const THistoryRow& row : reader.DaySeries(2026, 10, day)) rows.emplace_back(row.utcMinute, row.hundredths[0]);
  }
  const auto utc = [](int day, int hour, int minute) { return MinuteOf(DateTime{2026, 10, day, hour, minute, 0, 0}); };
  EXPECT_EQ(rows, (std::vector<std::pair<std::int64_t, std::optional<std::int64_t>>>{{utc(24, 21, 59), 22900},
                                                                                     {utc(25, 0, 30), 0},
                                                                                     {utc(25, 0, 59), 23100},
                                                                                     {utc(25, 1, 0), 23200},
                                                                                     {utc(25, 1, 30), 23300},
                                                                                     {utc(25, 2, 0), 23400}}));
}

TEST_F(HistoryRecorderTest, AFailingDatabaseIsReportedOnceAndItsRecoveryWithTheLostMinutesFromTheCsvFile) {
  const std::string database = folder.File("later/h.sqlite");
  StartWith(database);
  clock.Set(At(11, 0, 0));
  const std::vector<THostMessage> first = AnsweredTick();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].severity, THostMessage::Severity::kError);
  EXPECT_EQ(first[0].text.rfind("History database not written: " + database + ": cannot be opened or created", 0), 0u)
      << first[0].text;
  clock.Set(At(11, 1, 0));
  EXPECT_TRUE(AnsweredTick().empty()) << "reported once";

  // The CSV file has the two minutes meanwhile.
  WriteBytes(folder.File("csv/260302.csv"), Record(At(11, 0, 0), "230.00") + Record(At(11, 1, 0), "230.00"));
  std::filesystem::create_directory(folder.File("later"));
  clock.Set(At(11, 2, 0));
  const std::vector<THostMessage> recovered = AnsweredTick();
  ASSERT_EQ(recovered.size(), 1u);
  EXPECT_EQ(recovered[0].severity, THostMessage::Severity::kInformation);
  EXPECT_EQ(recovered[0].text.rfind("History database written again; 2 minutes were not stored", 0), 0u);
  clock.Set(At(11, 2, 30));
  const std::vector<THostMessage> filled = TickAndSettle();
  ASSERT_EQ(filled.size(), 1u);
  EXPECT_EQ(filled[0].text, "History: 2 minutes that the CSV files hold were added from them.");
  EXPECT_EQ(THistoryReader(database).DaySeries(2026, 3, 2).size(), 3u);
}

}  // namespace
}  // namespace helvanta
