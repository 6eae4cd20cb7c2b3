#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>

#include "config/language.hpp"
#include "config/settings.hpp"
#include "history/history_store.hpp"
#include "pvoutput/pvoutput_feed.hpp"
#include "pvoutput/pvoutput_requests.hpp"
#include "pvoutput/standin_process_posix.hpp"
#include "runtime/program_folder.hpp"
#include "support/history_fixtures.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::StandInPvoutput;
using Severity = THostMessage::Severity;

constexpr std::int64_t kMinuteMs = 60'000;
constexpr int kOffset = 60;  // the local time is UTC+1

DateTime At(int day, int hour, int minute, int second = 30) { return DateTime{2026, 12, day, hour, minute, second, 0}; }

// A history row at a local time, its values rising through the day.
THistoryRow RowAt(const DateTime& local) {
  const int m = local.hour * 60 + local.minute;
  THistoryRow row;
  row.utcMinute = MinuteOf(local) - kOffset;
  row.offsetMinutes = kOffset;
  row.hundredths[kRowAcVoltage] = 23'000 + m % 100;
  row.hundredths[kRowAcPower] = (m % 700) * 100 + 49;
  row.hundredths[kRowCoolerTemperature] = 2'500 + m % 10 * 5;
  row.hundredths[kRowWorkDay] = m * 2;
  return row;
}

// The stand-in's line for the status of the mark at a local time: Wh, whole W, °C, V.
std::string Listed(const DateTime& local) {
  const int m = local.hour * 60 + local.minute;
  char line[96];
  std::snprintf(line, sizeof line, "%04d%02d%02d,%02d:%02d,%d,%d,25.%02d,230.%02d", local.year, local.month, local.day,
                local.hour, local.minute, m * 20, m % 700, m % 10 * 5, m % 100);
  return line;
}

// The marks from `first` to `last` (local times), five minutes apart.
std::vector<std::string> Marks(const DateTime& first, const DateTime& last) {
  std::vector<std::string> lines;
  for (std::int64_t t = MinuteOf(first); t <= MinuteOf(last); t += 5) lines.push_back(Listed(MinuteTime(t)));
  return lines;
}

class PvoutputFeedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (StandInPvoutput::Available()) standIn = new StandInPvoutput();
  }
  static void TearDownTestSuite() {
    delete standIn;
    standIn = nullptr;
  }

  void SetUp() override {
    if (standIn == nullptr) GTEST_SKIP() << "python3 or openssl is missing";
    SetProgramFolder(folder.Path());
    standIn->Control("/reset");
    standIn->Control("/limit?requests=100000");
    SetStandInClock(clock.clock.Read().utcMs);
    folder.WriteFile("key", std::string(StandInPvoutput::kApiKey) + "\n");
    WriteSettings(standIn->Url());
  }
  void TearDown() override {
    feed.reset();
    AppSettings = TAppSettings{};
  }

  void SetStandInClock(std::int64_t utcMs) { standIn->Control("/now?utc=" + std::to_string(utcMs / 1000)); }
  void WriteSettings(const std::string& url) {
    folder.WriteFile("Helvanta.ini",
                     "[History]\r\nDatabase=" + db + "\r\n[PVOutput]\r\nSystemId=" + StandInPvoutput::kSystemId +
                         "\r\nApiKeyFile=" + folder.File("key") + "\r\nInterval=5\r\nUrl=" + url + "\r\n");
  }
  // The history holds every minute from first to last (local times).
  void WriteRows(const DateTime& first, const DateTime& last) {
    std::vector<THistoryRow> rows;
    for (std::int64_t t = MinuteOf(first); t <= MinuteOf(last); ++t) rows.push_back(RowAt(MinuteTime(t)));
    THistoryStore store;
    ASSERT_EQ(store.Write(db, rows).fault, THistoryFault::kNone);
  }
  void StartFeed(const std::string& caFile, long timeoutMs = 2'000) {
    feed = std::make_unique<TPvoutputFeed>(caFile, timeoutMs);
    std::vector<TReplacedSetting> replaced;
    Collect(feed->Start({list, " ", replaced}));
    EXPECT_TRUE(replaced.empty());
    ASSERT_TRUE(feed->Running());
  }
  // A tick a minute until the local time `until`, each one's uploads done before the next.
  void RunUntil(const DateTime& until) {
    while (clock.clock.Now() < until) {
      clock.clock.Advance(kMinuteMs);
      Collect(feed->Tick({clock.clock.Read(), true, "COM1", "", db, list, " ", {}}));
      feed->WaitIdle();
    }
  }
  void Collect(const std::vector<THostMessage>& found) { messages.insert(messages.end(), found.begin(), found.end()); }
  int Count(Severity severity, const std::string& fragment) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](const THostMessage& m) {
      return m.severity == severity && m.text.find(fragment) != std::string::npos;
    }));
  }
  std::string AllMessages() const {
    std::string all;
    for (const THostMessage& m : messages) all += m.text + "\n";
    return all;
  }

  static StandInPvoutput* standIn;
  testing::TempFolder folder;
  std::string db = folder.File("history.sqlite");
  testing::ScopedClock clock{At(7, 9, 58), [](std::int64_t) { return kOffset; }};
  TLanguageList list;
  std::unique_ptr<TPvoutputFeed> feed;
  std::vector<THostMessage> messages;
};

StandInPvoutput* PvoutputFeedTest::standIn = nullptr;

TEST_F(PvoutputFeedTest, SendsEachMarkOnceAndTheDaysOutputAfterTen) {
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 12, 0));
  EXPECT_TRUE(feed->Connected());
  ASSERT_TRUE(feed->LastSuccessUtcMs().has_value());
  EXPECT_EQ(*feed->LastSuccessUtcMs(), ToEpochMilliseconds(At(7, 11, 56)) - kOffset * kMinuteMs);
  // The same two figures for the metrics, in seconds.
  const std::optional<TOutputLink> link = feed->Link();
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->output, "pvoutput");
  EXPECT_TRUE(link->connected);
  EXPECT_EQ(link->lastSuccessUnix, *feed->LastSuccessUtcMs() / 1000);
  RunUntil(At(7, 22, 5));
  EXPECT_EQ(standIn->Statuses(), Marks(At(7, 10, 0), At(7, 18, 0)));
  // The energy of the last minute, the first minute of the highest power (699 W at 11:39).
  EXPECT_EQ(standIn->Outputs(), std::vector<std::string>{"20261207,21600,699,11:39"});
  EXPECT_EQ(Count(Severity::kWarning, "uploads start from now"), 1) << AllMessages();
  EXPECT_EQ(Count(Severity::kError, "PVOutput"), 0) << AllMessages();
}

// A day of outage, with a restart in the middle of it: every status arrives afterwards,
// in order, none twice, in batches PVOutput takes; so does the day's output.
TEST_F(PvoutputFeedTest, ADayOfOutageIsMadeUpForAcrossARestart) {
  WriteRows(At(7, 6, 0), At(8, 20, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 12, 0));
  standIn->Control("/mode?name=drop");
  RunUntil(At(8, 6, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(8, 12, 0));
  EXPECT_FALSE(feed->Connected());
  standIn->Control("/mode?name=ok");
  RunUntil(At(8, 22, 5));
  EXPECT_EQ(standIn->Statuses(), Marks(At(7, 10, 0), At(8, 20, 0)));
  EXPECT_EQ(standIn->Outputs(), (std::vector<std::string>{"20261207,28780,699,11:39", "20261208,24000,699,11:39"}));
  EXPECT_EQ(Count(Severity::kWarning, "uploads start from now"), 1) << AllMessages();
  EXPECT_EQ(Count(Severity::kError, "PVOutput: cannot upload"), 2) << AllMessages();
  EXPECT_EQ(Count(Severity::kInformation, "PVOutput: uploading again"), 1) << AllMessages();
}

TEST_F(PvoutputFeedTest, ALostHistoryDatabaseResumesFromNow) {
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 11, 0));
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(db + suffix);
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  RunUntil(At(7, 13, 0));
  std::vector<std::string> expected = Marks(At(7, 10, 0), At(7, 10, 55));
  const std::vector<std::string> after = Marks(At(7, 11, 5), At(7, 12, 55));
  expected.insert(expected.end(), after.begin(), after.end());
  EXPECT_EQ(standIn->Statuses(), expected);
  EXPECT_EQ(Count(Severity::kWarning, "uploads start from now"), 2) << AllMessages();
}

TEST_F(PvoutputFeedTest, StatusesOlderThanPvoutputTakesAreGivenUpWithOneWarning) {
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 11, 0));
  standIn->Control("/mode?name=drop");
  clock.clock.Advance(15LL * 24 * 60 * kMinuteMs);
  SetStandInClock(clock.clock.Read().utcMs);
  RunUntil(At(22, 12, 0));
  standIn->Control("/mode?name=ok");
  RunUntil(At(22, 13, 0));
  EXPECT_EQ(standIn->Statuses(), Marks(At(7, 10, 0), At(7, 10, 55)));
  EXPECT_EQ(Count(Severity::kWarning, "PVOutput: 85 statuses older than PVOutput accepts were given up"), 1)
      << AllMessages();
}

// The hourly limit from the answers' headers: no request is made after the last one
// allowed until the reset, and what waited goes in a batch then.
TEST_F(PvoutputFeedTest, WaitsForTheRateLimitsReset) {
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  standIn->Control("/limit?requests=3");
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 10, 40));
  EXPECT_EQ(standIn->Requests(), 3);
  SetStandInClock(clock.clock.Read().utcMs + 3'600'000);
  RunUntil(At(7, 11, 10));
  EXPECT_EQ(standIn->Statuses(), Marks(At(7, 10, 0), At(7, 11, 5)));
  EXPECT_EQ(Count(Severity::kWarning, "request limit"), 0) << AllMessages();
}

TEST_F(PvoutputFeedTest, ACertificateForAnotherHostIsRefused) {
  StandInPvoutput other("DNS:pvoutput.invalid");
  WriteSettings(other.Url());
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(other.CaFile());
  RunUntil(At(7, 11, 0));
  EXPECT_TRUE(other.Statuses().empty());
  EXPECT_FALSE(feed->Connected());
  EXPECT_EQ(Count(Severity::kError, "PVOutput: cannot upload"), 1) << AllMessages();
  EXPECT_NE(AllMessages().find("certificate"), std::string::npos) << AllMessages();
}

// While a request waits for a silent PVOutput, the ticks go on at once.
TEST_F(PvoutputFeedTest, ATickNeverWaitsForAnAnswer) {
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(standIn->CaFile());
  RunUntil(At(7, 10, 0));
  standIn->Control("/mode?name=slow&delay=5");
  auto longest = std::chrono::steady_clock::duration::zero();
  for (int second = 0; second < 60; ++second) {
    clock.clock.Advance(1'000);
    const auto start = std::chrono::steady_clock::now();
    Collect(feed->Tick({clock.clock.Read(), true, "COM1", "", db, list, " ", {}}));
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
  }
  feed->WaitIdle();
  EXPECT_LT(longest, std::chrono::milliseconds(100));
  // One request, or two when the upload thread's turn fell early enough in the minute
  // for its retry, 30 s after the first, to come within it; never one a tick.
  EXPECT_GE(standIn->Requests(), 1);
  EXPECT_LE(standIn->Requests(), 2);
  Collect(feed->Tick({clock.clock.Read(), true, "COM1", "", db, list, " ", {}}));
  EXPECT_EQ(Count(Severity::kError, "Operation timed out"), 1) << AllMessages();
}

// One fault for an hour in the middle of the day, then PVOutput as usual.
struct Fault {
  const char* name;
  const char* mode;
  Severity severity;
  const char* told;      // a part of the one message during the fault
  bool toldRecovery;     // an information message when it ends
  bool statusesGivenUp;  // those PVOutput refused are not sent again
};

// Named in the test's name rather than as bytes.
void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class PvoutputFaultTest : public PvoutputFeedTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(PvoutputFaultTest, IsToldOnceAndMadeUpFor) {
  const Fault& fault = GetParam();
  WriteRows(At(7, 6, 0), At(7, 18, 0));
  StartFeed(standIn->CaFile(), 300);
  RunUntil(At(7, 11, 0));
  standIn->Control(std::string("/mode?name=") + fault.mode);
  RunUntil(At(7, 12, 0));
  EXPECT_FALSE(feed->Connected());
  standIn->Control("/mode?name=ok");
  RunUntil(At(7, 14, 0));
  EXPECT_TRUE(feed->Connected());
  std::vector<std::string> expected = Marks(At(7, 10, 0), At(7, 13, 55));
  if (fault.statusesGivenUp) {
    std::erase_if(expected, [](const std::string& line) { return line.compare(9, 3, "11:") == 0; });
  }
  EXPECT_EQ(standIn->Statuses(), expected);
  EXPECT_EQ(Count(fault.severity, fault.told), 1) << AllMessages();
  EXPECT_EQ(Count(Severity::kInformation, "uploading again"), fault.toldRecovery ? 1 : 0) << AllMessages();
  EXPECT_EQ(Count(Severity::kError, "still"), 0) << AllMessages();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PvoutputFaultTest,
    ::testing::Values(Fault{"Unreachable", "drop", Severity::kError, "cannot upload", true, false},
                      Fault{"Slow", "slow&delay=1", Severity::kError, "Operation timed out", true, false},
                      Fault{"ServerError", "503", Severity::kError, "HTTP 503 Service Unavailable", true, false},
                      Fault{"Garbage", "garbage", Severity::kError, "unexpected answer", true, false},
                      Fault{"KeyRefused", "401", Severity::kError,
                            "refused the API key or system id: Unauthorized 401: Invalid API Key", true, false},
                      Fault{"RateLimit", "403", Severity::kWarning, "hourly request limit", false, false},
                      Fault{"BadRequest", "400", Severity::kWarning, "Bad request 400: Moon Powered", false, true}),
    [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace helvanta
