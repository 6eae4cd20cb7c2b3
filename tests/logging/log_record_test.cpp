#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "config/settings.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "logging/date_time_separators.hpp"
#include "logging/log_record.hpp"
#include "logging/measurand_presence.hpp"
#include "runtime/clock.hpp"
#include "runtime/program_folder.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::size_t CountOf(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) ++n;
  return n;
}

#ifndef _WIN32
// Runs the logger in a child process whose files cannot grow past limit bytes, as on
// a full disk, and exits with its result. Windows has no limit of a file's size.
[[noreturn]] void WriteLogRecordWithFileSizeLimit(rlim_t limit) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit fileSize{limit, limit};
  if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) ::_exit(100);
  ::_exit(WriteLogRecord());
}
#endif

class LogRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_.Path();
    data_ = root_ / "Data";
    fs::create_directory(data_);
    templateFile_ = root_ / "Template.csv";

    AppSettings = TAppSettings{};
    AppSettings.TemplateFile = templateFile_.string();
    AppSettings.OutputFolder = data_.string();
    AppSettings.RequestInterval = 1;
    SetDateTimeSeparators(DateTimeSeparators{'.', ':'});
    SetProgramClock(&clock_);
    clock_.Set(DateTime{2026, 12, 7, 14, 4, 0, 0});

    InitMeasurands();
    for (int i = 0; i < kMeasurandCount; ++i) DecodeAnswer(PseudoAnswer, i);
    Measurands[5].Value = "230.00";
  }

  // Every measurand answered just now.
  void StampAllGood() {
    for (int i = 0; i < kMeasurandCount; ++i) Measurands[i].GoodAtMs = clock_.ElapsedMs();
  }

  void TearDown() override {
    SetProgramClock(nullptr);
    SetDateTimeSeparators(std::nullopt);
    AppSettings = TAppSettings{};
  }

  fs::path DayFile(std::string_view name = "261207.csv") const { return data_ / name; }

  ManualClock clock_;
  testing::TempFolder folder_;
  fs::path root_;
  fs::path data_;
  fs::path templateFile_;
};

TEST_F(LogRecordTest, ExactBytesOfADay) {
  WriteFile(templateFile_, "Date,Time,U\r\nunits\n%date%,%time%,%1%\r\n");

  EXPECT_EQ(WriteLogRecord(), 0);
  const std::string first = "Date,Time,U\r\nunits\r\n  12.07.2026,    14:04:00,      230.00\r\n";
  EXPECT_EQ(ReadFile(DayFile()), first);

  // Not a mark: nothing.
  clock_.Set(DateTime{2026, 12, 7, 14, 4, 1, 0});
  EXPECT_EQ(WriteLogRecord(), 0);
  clock_.Set(DateTime{2026, 12, 7, 14, 5, 30, 0});
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), first);

  // The next mark appends the record only; the file exists, so no header.
  Measurands[5].Value = "7.5";
  clock_.Set(DateTime{2026, 12, 7, 14, 5, 0, 250});
  EXPECT_EQ(WriteLogRecord(), 0);
  const std::string second = first + "  12.07.2026,    14:05:00,         7.5\r\n";
  EXPECT_EQ(ReadFile(DayFile()), second);

  // No memory: a second tick within the same second writes the same time again.
  clock_.Set(DateTime{2026, 12, 7, 14, 5, 0, 900});
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), second + "  12.07.2026,    14:05:00,         7.5\r\n");
}

TEST_F(LogRecordTest, ARecordNeedsAGoodAnswerFromTheLast135Seconds) {
  WriteFile(templateFile_, "%date%;%1%\r\n");
  // Index 5's newest request waits: the record carries its last good value.
  std::int32_t index = 4;
  BuildRequest(index);
  ASSERT_EQ(Measurands[5].Value, "N/A");
  clock_.Set(DateTime{2026, 12, 7, 14, 5, 0, 0});
  EXPECT_TRUE(RunDailyLog().Written());
  EXPECT_EQ(ReadFile(DayFile()), "  12.07.2026;      227.60\r\n");

  // 135 s after the answers they still count; a second later they are too old. Fresh
  // answers for all but index 7 (never shown or logged) still hold the record back, and
  // the outcome names it.
  EXPECT_TRUE(MissingMeasurands(ToEpochMilliseconds(DateTime{2026, 12, 7, 14, 6, 15, 0})).empty());
  EXPECT_EQ(MissingMeasurands(ToEpochMilliseconds(DateTime{2026, 12, 7, 14, 6, 16, 0})).size(), 45u);
  fs::remove(DayFile());
  clock_.Set(DateTime{2026, 12, 7, 14, 7, 0, 0});
  EXPECT_EQ(RunDailyLog().missing.size(), 45u);
  for (int i = 0; i < kMeasurandCount; ++i) {
    if (i != 7) DecodeAnswer(PseudoAnswer, i);
  }
  const LogOutcome skipped = RunDailyLog();
  EXPECT_TRUE(skipped.due);
  EXPECT_EQ(skipped.missing, std::vector<int>{7});
  EXPECT_EQ(MissingNames(skipped.missing), "Power (AC) (low word)");
  EXPECT_FALSE(fs::exists(DayFile()));
  // The held-back record is not reported even when the template is missing.
  fs::remove(templateFile_);
  EXPECT_EQ(WriteLogRecord(), 0);

  WriteFile(templateFile_, "%date%;%1%\r\n");
  DecodeAnswer(PseudoAnswer, 7);
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), "  12.07.2026;      227.60\r\n");
}

TEST_F(LogRecordTest, HourlyAndMinutelyMarksOverADay) {
  WriteFile(templateFile_, "head\r\n%time%\r\n");
  for (const int interval : {60, 1, 4}) {
    fs::remove(DayFile());
    AppSettings.RequestInterval = interval;
    clock_.Set(DateTime{2026, 12, 7, 0, 0, 0, 0});
    int calls = 0;
    while (clock_.Now().day == 7) {
      if (clock_.Now().second == 0) StampAllGood();
      ASSERT_EQ(WriteLogRecord(), 0);
      clock_.Advance(1000);
      ++calls;
    }
    ASSERT_EQ(calls, 86400);
    const std::string text = ReadFile(DayFile());
    EXPECT_EQ(CountOf(text, "\r\n"), 1u + 24u * (60u / static_cast<unsigned>(interval))) << interval;
    EXPECT_EQ(CountOf(text, "head"), 1u);
    EXPECT_NE(text.find("    00:00:00\r\n"), std::string::npos);
    EXPECT_EQ(text.find("    00:00:01\r\n"), std::string::npos);
    if (interval == 60) {
      EXPECT_NE(text.find("    23:00:00\r\n"), std::string::npos);
      EXPECT_EQ(text.find("    23:01:00\r\n"), std::string::npos);
    }
    if (interval == 4) {
      EXPECT_NE(text.find("    23:56:00\r\n"), std::string::npos);
      EXPECT_EQ(text.find("    23:58:00\r\n"), std::string::npos);
    }
  }
}

TEST_F(LogRecordTest, NewDayNewFileWithHeader) {
  WriteFile(templateFile_, "head\r\n%date% %time%\r\n");
  AppSettings.RequestInterval = 60;
  clock_.Set(DateTime{2026, 12, 31, 23, 0, 0, 0});
  StampAllGood();
  EXPECT_EQ(WriteLogRecord(), 0);
  clock_.Set(DateTime{2027, 1, 1, 0, 0, 0, 0});
  StampAllGood();
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile("261231.csv")), "head\r\n  12.31.2026     23:00:00\r\n");
  EXPECT_EQ(ReadFile(DayFile("270101.csv")), "head\r\n  01.01.2027     00:00:00\r\n");
}

TEST_F(LogRecordTest, ExistingFileGetsNoHeaderEvenWhenEmpty) {
  WriteFile(templateFile_, "head\r\n%1%\r\n");
  WriteFile(DayFile(), "");
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), "      230.00\r\n");
}

TEST_F(LogRecordTest, UnreadableTemplateLeavesTheDayFileUntouched) {
  EXPECT_EQ(WriteLogRecord(), 1);
  EXPECT_FALSE(fs::exists(DayFile()));

  fs::create_directory(templateFile_);
  EXPECT_EQ(WriteLogRecord(), 1);
  EXPECT_FALSE(fs::exists(DayFile()));

  WriteFile(DayFile(), "kept\r\n");
  EXPECT_EQ(WriteLogRecord(), 1);
  EXPECT_EQ(ReadFile(DayFile()), "kept\r\n");

  AppSettings.TemplateFile.clear();
  EXPECT_EQ(WriteLogRecord(), 1);
}

TEST_F(LogRecordTest, APipeInPlaceOfTheTemplateDoesNotStallTheTick) {
#ifndef _WIN32
  // Windows has no named pipes in its folders.
  fs::remove_all(templateFile_);
  ASSERT_EQ(mkfifo(templateFile_.c_str(), 0600), 0);
  EXPECT_EQ(WriteLogRecord(), 1);
  EXPECT_FALSE(fs::exists(DayFile()));
#endif

  // A template grown past 1 MiB is not read every minute, nor copied into the log.
  fs::remove(templateFile_);
  WriteFile(templateFile_, std::string(2 << 20, 'x') + "\r\n%1%\r\n");
  EXPECT_EQ(WriteLogRecord(), 1);
  EXPECT_FALSE(fs::exists(DayFile()));
}

TEST_F(LogRecordTest, MissingOutputFolderIsNotCreated) {
  WriteFile(templateFile_, "head\r\n%1%\r\n");
  AppSettings.OutputFolder = (root_ / "Missing").string();
  EXPECT_EQ(WriteLogRecord(), 2);
  EXPECT_FALSE(fs::exists(root_ / "Missing"));

  // A plain file where the folder should be.
  WriteFile(root_ / "NotAFolder", "x");
  AppSettings.OutputFolder = (root_ / "NotAFolder").string();
  EXPECT_EQ(WriteLogRecord(), 2);
  EXPECT_EQ(ReadFile(root_ / "NotAFolder"), "x");
}

#ifndef _WIN32
TEST_F(LogRecordTest, DiskFullLeavesNoHalfLine) {
  WriteFile(templateFile_, "a header line\r\n%date%;%time%;%1%;%2%;%3%\r\n");
  const std::string earlier = "a header line\r\n  12.07.2026;    14:03:00;      230.00;       22.76;     2276.00\r\n";
  WriteFile(DayFile(), earlier);

  // The file may grow by a few bytes only: the record starts, then the disk is full.
  EXPECT_EXIT(WriteLogRecordWithFileSizeLimit(earlier.size() + 10), ::testing::ExitedWithCode(2), "");
  EXPECT_EQ(ReadFile(DayFile()), earlier);

  // A new day's file that cannot take its header and record is not left behind,
  // so the next record still starts it with the header.
  fs::remove(DayFile());
  EXPECT_EXIT(WriteLogRecordWithFileSizeLimit(5), ::testing::ExitedWithCode(2), "");
  EXPECT_FALSE(fs::exists(DayFile()));
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()).substr(0, 15), "a header line\r\n");
}
#endif

TEST_F(LogRecordTest, TemplateShapes) {
  struct Case {
    std::string name;
    std::string templateText;
    std::string expected;
  };
  const Case cases[] = {
      {"one line", "%1%", "      230.00\r\n"},
      {"one line ended", "%1%\n", "      230.00\r\n"},
      {"empty", "", "\r\n"},
      {"only a line end", "\r\n", "\r\n"},
      {"empty pattern", "head\r\n\r\n", "head\r\n\r\n"},
      {"lone CRs", "h1\rh2\r%1%\r", "h1\r\nh2\r\n      230.00\r\n"},
      {"NUL ends the text", "head\r\n%1%\0tail\r\n%2%"s, "head\r\n      230.00\r\n"},
      {"unknown placeholders", "%33%;%0%;%DATE%;%1%", "%33%;%0%;%DATE%;      230.00\r\n"},
      {"no placeholder", "plain, \"text\"", "plain, \"text\"\r\n"},
  };
  for (const Case& c : cases) {
    fs::remove(DayFile());
    WriteFile(templateFile_, c.templateText);
    EXPECT_EQ(WriteLogRecord(), 0) << c.name;
    EXPECT_EQ(ReadFile(DayFile()), c.expected) << c.name;
  }
}

TEST_F(LogRecordTest, LongAndShortValues) {
  WriteFile(templateFile_, "%1%|%2%|%29%|%31%");
  Measurands[5].Value = "12345678901234567890";
  Measurands[6].Value = "1.5";
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), "12345678901234567890|         1.5|        08E4|         228\r\n");
}

TEST_F(LogRecordTest, SeparatorsComeFromTheSetting) {
  WriteFile(templateFile_, "%date%,%time%");
  SetDateTimeSeparators(DateTimeSeparators{'/', '-'});
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), "  12/07/2026,    14-04-00\r\n");
}

TEST_F(LogRecordTest, DailyFilePath) {
  const std::string data = data_.string() + kPathSeparator;
  EXPECT_EQ(DailyLogFilePath(DateTime{2026, 12, 7}), data + "261207.csv");
  EXPECT_EQ(DailyLogFilePath(DateTime{2000, 1, 2}), data + "000102.csv");

  // A folder ending in a separator gets a second one; the path still works.
  AppSettings.OutputFolder = data;
  EXPECT_EQ(DailyLogFilePath(DateTime{2026, 12, 7}), data + kPathSeparator + "261207.csv");
  WriteFile(templateFile_, "%1%");
  EXPECT_EQ(WriteLogRecord(), 0);
  EXPECT_EQ(ReadFile(DayFile()), "      230.00\r\n");
}

TEST(LoggingMomentTest, MarksOfEveryInterval) {
  for (const int interval : {1, 2, 3, 4, 5, 6, 10, 15, 30, 60}) {
    int marks = 0;
    for (int minute = 0; minute < 60; ++minute) {
      for (int second = 0; second < 60; ++second) {
        if (IsLoggingMoment(DateTime{2026, 12, 7, 9, minute, second, 0}, interval)) {
          ++marks;
          EXPECT_EQ(second, 0);
          EXPECT_EQ(minute % interval, 0);
        }
      }
    }
    EXPECT_EQ(marks, 60 / interval) << interval;
  }
  // Intervals the settings never let through still end and log at most hourly.
  EXPECT_TRUE(IsLoggingMoment(DateTime{2026, 12, 7, 9, 0, 0, 0}, 0));
  EXPECT_FALSE(IsLoggingMoment(DateTime{2026, 12, 7, 9, 1, 0, 0}, 0));
  EXPECT_FALSE(IsLoggingMoment(DateTime{2026, 12, 7, 9, 5, 0, 0}, -5));
  EXPECT_FALSE(IsLoggingMoment(DateTime{2026, 12, 7, 9, 30, 0, 0}, 90));
}

TEST_F(LogRecordTest, PackagedTemplateMakesOneFieldPerColumn) {
  AppSettings.TemplateFile = HELVANTA_SOURCE_DIR "/packaging/Template.csv";
  EXPECT_EQ(WriteLogRecord(), 0);
  const std::string text = ReadFile(DayFile());
  const auto firstEnd = text.find("\r\n");
  ASSERT_NE(firstEnd, std::string::npos);
  const std::string header = text.substr(0, firstEnd);
  const std::string record = text.substr(firstEnd + 2);
  ASSERT_GE(record.size(), 2u);
  EXPECT_EQ(record.substr(record.size() - 2), "\r\n");
  EXPECT_EQ(CountOf(text, "\r\n"), 2u);
  EXPECT_EQ(CountOf(header, ";"), 33u);
  EXPECT_EQ(CountOf(record, ";"), 33u);
  EXPECT_EQ(header.substr(0, 28), "Date;Time;Voltage (AC) [V];C");
  // The template is UTF-8 and its bytes go into the file as they are.
  EXPECT_NE(header.find("Cooler temperature [\xC2\xB0"
                        "C]"),
            std::string::npos);
  EXPECT_EQ(record.find('%'), std::string::npos);
  // 34 fields of 12 characters: no value of the pseudo answer is longer.
  EXPECT_EQ(record.size(), 34u * 12u + 33u + 2u);
}

}  // namespace
}  // namespace helvanta
