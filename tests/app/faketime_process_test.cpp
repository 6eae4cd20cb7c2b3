// The built service against the simulator with its wall clock faked by libfaketime in
// Berlin time: clock steps, the changes to and from summer time, a power cut right after
// a record, and an output folder that cannot take the records. The runs take real time;
// those of one test run side by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "app/faketime_run_posix.hpp"
#include "history/history_reader.hpp"
#include "history/history_row.hpp"

namespace helvanta::testing {
namespace {

using Runs = std::vector<std::unique_ptr<FaketimeRun>>;
using SteadyTime = std::chrono::steady_clock::time_point;

std::string TimeText(const DateTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

int Occurrences(const std::vector<std::string>& times, const std::string& time) {
  return static_cast<int>(std::count(times.begin(), times.end(), time));
}

// Requests went on at one a second from the service's start to its stop.
void ExpectOneRequestASecond(const FaketimeRun& run, std::int64_t runMs, const std::string& name) {
  const std::vector<std::int64_t> times = run.RequestTimesMs();
  EXPECT_NEAR(static_cast<double>(times.size()), static_cast<double>(runMs) / 1000, 2) << name;
  std::string irregular;
  for (std::size_t i = 1; i < times.size(); ++i) {
    const std::int64_t gap = times[i] - times[i - 1];
    if (gap < 500 || gap > 1500) {
      // Appended piece by piece: GCC 12 at -O3 warns falsely about "literal" + to_string.
      irregular += ' ';
      irregular += std::to_string(gap);
      irregular += " ms before request ";
      irregular += std::to_string(i);
    }
  }
  EXPECT_EQ(irregular, "") << name;
}

void ExpectNoWarningOrError(const FaketimeRun& run, const std::string& name) {
  EXPECT_EQ(run.CountEvents(": Warning: ") + run.CountEvents(": Error: "), 0) << name << "\n" << run.Events();
}

std::int64_t MillisecondsSince(SteadyTime start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

class FaketimeProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = FaketimeMissing(); !missing.empty()) GTEST_SKIP() << missing;
  }
};

// Each run starts 50 s before its mark, so that all 45 values have answered by then, and
// is set half a second before the end of that minute: the first mark after the step
// comes 5.5 s later.
TEST_F(FaketimeProcessTest, ClockStepsKeepOneRequestASecondAndTheRecordsGoingOn) {
  const struct {
    std::string name;
    DateTime mark;
    std::int64_t stepSeconds;
  } cases[] = {
      {"back an hour", {2026, 12, 9, 12, 0, 0}, -3'600},       {"forward an hour", {2026, 12, 9, 12, 0, 0}, 3'600},
      {"back a day", {2026, 12, 9, 12, 0, 0}, -86'400},        {"forward a day", {2026, 12, 9, 12, 0, 0}, 86'400},
      {"forward over midnight", {2026, 12, 9, 23, 59, 0}, 60},
  };
  Runs runs;
  for (const auto& c : cases) {
    runs.push_back(std::make_unique<FaketimeRun>(static_cast<int>(runs.size()) + 1));
    runs.back()->SetClock(AddSeconds(c.mark, -50));
    runs.back()->StartService();
  }
  const SteadyTime started = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i]->WaitUntil(AddMilliseconds(cases[i].mark, 54'500));
    runs[i]->StepClock(cases[i].stepSeconds);
  }
  for (std::size_t i = 0; i < runs.size(); ++i)
    runs[i]->WaitUntil(AddSeconds(cases[i].mark, 63 + cases[i].stepSeconds));
  for (auto& run : runs) EXPECT_EQ(run->StopService(), 0);
  const std::int64_t runMs = MillisecondsSince(started);

  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto& c = cases[i];
    const FaketimeRun& run = *runs[i];
    const DateTime after = AddSeconds(c.mark, 60 + c.stepSeconds);
    EXPECT_EQ(Occurrences(run.RecordTimes(c.mark), TimeText(c.mark)), 1) << c.name << "\n" << run.DayFile(c.mark);
    EXPECT_EQ(Occurrences(run.RecordTimes(after), TimeText(after)), 1) << c.name << "\n" << run.DayFile(after);
    for (const DateTime& day : {c.mark, after}) {
      const std::vector<std::string> times = run.RecordTimes(day);
      EXPECT_EQ(std::set<std::string>(times.begin(), times.end()).size(), times.size()) << c.name << "\n"
                                                                                        << run.DayFile(day);
      EXPECT_EQ(run.DayFile(day).find("Date;Time;"), 0u) << c.name;
    }

    EXPECT_EQ(run.CountEvents("The clock was set from "), 1) << c.name << "\n" << run.Events();
    const std::string events = run.Events();
    DateTime from;
    DateTime to;
    const auto at = events.find("The clock was set from ");
    ASSERT_NE(at, std::string::npos) << c.name;
    ASSERT_EQ(std::sscanf(events.c_str() + at, "The clock was set from %d-%d-%d %d:%d:%d to %d-%d-%d %d:%d:%d",
                          &from.year, &from.month, &from.day, &from.hour, &from.minute, &from.second, &to.year,
                          &to.month, &to.day, &to.hour, &to.minute, &to.second),
              12)
        << c.name << "\n"
        << events;
    // Told by the tick after the step, which comes half a second later.
    EXPECT_NEAR(static_cast<double>(ToEpochMilliseconds(from) - ToEpochMilliseconds(c.mark)), 55'000, 1'000)
        << c.name << ": " << DateTimeText(from);
    EXPECT_EQ(ToEpochMilliseconds(to) - ToEpochMilliseconds(from), c.stepSeconds * 1000) << c.name;
    EXPECT_NE(events.find("; polling and logging go on."), std::string::npos) << c.name;
    ExpectNoWarningOrError(run, c.name);
    ExpectOneRequestASecond(run, runMs, c.name);
  }
}

// Both runs pass their change about 170 s after start: long after the first 90 s, in
// which a mark without every value gives no warning.
TEST_F(FaketimeProcessTest, SummerTimeChangesLoseNoMarkAndWarnOfNothing) {
  const struct {
    std::string name;
    DateTime start;
    DateTime end;
    bool endInRepeatedHour;
    std::vector<std::string> records;
  } cases[] = {
      {"spring", {2026, 3, 29, 1, 57, 10}, {2026, 3, 29, 3, 0, 3}, false, {"01:58:00", "01:59:00", "03:00:00"}},
      {"autumn", {2026, 10, 25, 2, 58, 10}, {2026, 10, 25, 2, 1, 3}, true, {"02:59:00", "02:00:00", "02:01:00"}},
  };
  Runs runs;
  for (const auto& c : cases) {
    runs.push_back(std::make_unique<FaketimeRun>(static_cast<int>(runs.size()) + 11));
    runs.back()->SetClock(c.start);
    runs.back()->StartService();
  }
  const SteadyTime started = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < runs.size(); ++i) runs[i]->WaitUntil(cases[i].end, cases[i].endInRepeatedHour);
  for (auto& run : runs) EXPECT_EQ(run->StopService(), 0);
  const std::int64_t runMs = MillisecondsSince(started);

  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto& c = cases[i];
    const FaketimeRun& run = *runs[i];
    EXPECT_EQ(run.RecordTimes(c.start), c.records) << c.name << "\n" << run.DayFile(c.start);
    ExpectNoWarningOrError(run, c.name);
    EXPECT_EQ(run.CountEvents("logging marks were missed"), 0) << c.name << "\n" << run.Events();
    // UTC runs on through the change: it is no step of the clock.
    EXPECT_EQ(run.CountEvents("The clock was set"), 0) << c.name << "\n" << run.Events();
    ExpectOneRequestASecond(run, runMs, c.name);
  }
}

// The service is killed this long after its record reached the CSV file; started again,
// it has the minute in its history, whether the row was stored before the kill or comes
// back from the CSV file.
TEST_F(FaketimeProcessTest, ARecordWrittenJustBeforeAPowerCutIsInTheCsvFileAndTheHistory) {
  const std::chrono::milliseconds delays[] = {std::chrono::milliseconds(0), std::chrono::milliseconds(5),
                                              std::chrono::milliseconds(10), std::chrono::milliseconds(50)};
  const DateTime mark{2026, 12, 9, 12, 0, 0};
  Runs runs;
  for (std::size_t i = 0; i < std::size(delays); ++i) {
    runs.push_back(std::make_unique<FaketimeRun>(static_cast<int>(i) + 21));
    runs.back()->SetClock(AddSeconds(mark, -50));
    runs.back()->StartService();
  }
  runs.front()->WaitUntil(AddSeconds(mark, -1));
  std::vector<std::optional<SteadyTime>> written(runs.size());
  std::vector<bool> killed(runs.size(), false);
  const SteadyTime deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::count(killed.begin(), killed.end(), false) > 0 && std::chrono::steady_clock::now() < deadline) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const SteadyTime now = std::chrono::steady_clock::now();
      if (!written[i] && !runs[i]->DayFile(mark).empty()) written[i] = now;
      if (written[i] && !killed[i] && now >= *written[i] + delays[i]) {
        runs[i]->KillService();
        killed[i] = true;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }

  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string name = std::to_string(delays[i].count()) + " ms after the record";
    FaketimeRun& run = *runs[i];
    ASSERT_TRUE(killed[i]) << name << ": no record\n" << run.Events();
    EXPECT_EQ(run.RecordTimes(mark), std::vector<std::string>{TimeText(mark)}) << name;
    EXPECT_TRUE(run.DayFile(mark).ends_with("\r\n")) << name;

    run.StartService();
    EXPECT_TRUE(run.WaitForEvents("Service started.", 2, 10'000)) << name << "\n" << run.Events();
    EXPECT_EQ(run.StopService(), 0) << name;
    THistoryReader history(run.File("Data/helvanta.sqlite"));
    const std::vector<THistoryRow> rows = history.DaySeries(mark.year, mark.month, mark.day);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [&](const THistoryRow& row) { return row.LocalMinute() == MinuteOf(mark); }))
        << name << ": " << rows.size() << " rows\n"
        << run.Events();
  }
}

TEST_F(FaketimeProcessTest, AnOutputFolderThatCannotTakeTheRecordsIsReportedAtStart) {
  FaketimeRun run(31);
  std::filesystem::remove(run.File("Data"));
  run.SetClock({2026, 12, 9, 12, 0, 0});
  run.StartService();
  EXPECT_TRUE(run.WaitForEvents("Service started.", 1, 10'000)) << run.Events();
  EXPECT_EQ(run.StopService(), 0);
  EXPECT_EQ(run.CountEvents("Warning: The output folder " + run.File("Data") +
                            " does not exist or cannot be written: no record can be saved there."),
            1)
      << run.Events();
}

}  // namespace
}  // namespace helvanta::testing
