#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "config/settings.hpp"
#include "history/history_import.hpp"
#include "history/history_reader.hpp"
#include "history/sqlite_connection.hpp"
#include "runtime/program_folder.hpp"
#include "support/file_bytes.hpp"
#include "support/history_fixtures.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

const std::vector<std::string> kTemplate{"Date,Time,U,P,Err", "%date%,%time%,%1%,%3%,%30%"};

std::string Field(const std::string& text) { return std::string(text.size() < 12 ? 12 - text.size() : 0, ' ') + text; }

std::string Record(const std::string& date, const std::string& time, const std::string& u, const std::string& p,
                   const std::string& err) {
  return Field(date) + "," + Field(time) + "," + Field(u) + "," + Field(p) + "," + Field(err) + "\r\n";
}

TEST(HistoryImport, StoresMatchingRecordsAndCountsTheOthers) {
  const testing::ScopedClock utc;
  TempFolder folder;
  const std::string csv = folder.File("260302.csv");
  WriteBytes(csv, "Date,Time,U,P,Err\r\n" +                                            // 1: header, skipped
                      Record("03/02/2026", "10:04:00", "230.15", "1234.00", "00A1") +  // 2
                      Record("03.02.2026", "10:08:00", "-1.5", "0.00", "FFFF") +       // 3: another locale
                      Record("02/30/2026", "10:12:00", "230.00", "1.00", "0000") +     // 4: no such date
                      Record("03/02/2026", "10:16:00", "abc", "1.00", "0000") +        // 5: no number
                      Record("03/02/2026", "10:20:00", "1.2.3", "1.00", "0000") +      // 6
                      Record("03/02/2026", "10:24:00", "23?.15", "1.00", "0000") +     // 7: control character
                      Record("03/02/2026", "10:28:00", "230.00", "1.00", "00G0") +     // 8: no register
                      Record("03/02/2026", "25:00:00", "230.00", "1.00", "0000") +     // 9: no time
                      Record("03/02/2026", "10:30:00", "12345678901234567890", "1.00", "0000") +  // 10: too long
                      Field("03/02/2026") + ";" + Field("10:32:00") + "\r\n" +                    // 11: other separator
                      "\r\n");                                                                    // 12: empty
  const std::string database = folder.File("h.sqlite");
  THistoryStore store;
  TImportCounts counts = ImportCsvFile(store, database, csv, kTemplate);
  EXPECT_TRUE(counts.readable);
  EXPECT_EQ(counts.stored, 2u);
  EXPECT_EQ(counts.mismatched, 9u);
  EXPECT_EQ(counts.firstMismatch, 4u);

  THistoryReader reader(database);
  const std::vector<THistoryRow> rows = reader.DaySeries(2026, 3, 2);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(MinuteTime(rows[0].LocalMinute()), (DateTime{2026, 3, 2, 10, 4, 0, 0}));
  EXPECT_EQ(rows[0].hundredths[0], 23015);
  EXPECT_EQ(rows[0].hundredths[2], 123400);
  EXPECT_EQ(rows[0].texts[29], "00A1");
  EXPECT_EQ(rows[0].hundredths[1], std::nullopt) << "a row the template does not log stays unknown";
  EXPECT_EQ(rows[1].hundredths[0], -150);

  counts = ImportCsvFile(store, database, csv, kTemplate);
  EXPECT_EQ(counts.stored, 0u);
  EXPECT_EQ(counts.present, 2u);
  EXPECT_FALSE(ImportCsvFile(store, database, folder.File("missing.csv"), kTemplate).readable);
}

// 2026-03-02, a record a minute (P the minute of the day), but for the minute left out
// and the minute whose P is another; with extra, the next day's first minute follows.
std::string DayFile(int leftOut, int changed, bool extra) {
  std::string text = "Date,Time,U,P,Err\r\n";
  for (int m = 0; m < 1440; ++m) {
    if (m == leftOut) continue;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:00", m / 60, m % 60);
    text += Record("03/02/2026", time, "230.00", std::to_string(m == changed ? 9999 : m) + ".00", "0000");
  }
  if (extra) text += Record("03/03/2026", "00:00:00", "230.00", "0.00", "0000");
  return text;
}

TEST(HistoryImport, ADayWhoseMinutesAreAllStoredIsCountedWithoutWriting) {
  const testing::ScopedClock utc;
  struct Case {
    const char* what;
    int leftOutOfStore;  // minute of the day removed from the history after the first import
    int leftOutOfFile;
    int changed;  // minute the file gives another value
    bool extra;   // the file carries the next day's first minute as well
    std::size_t stored;
    std::size_t present;
    bool skipped;  // nothing to write: it goes through while another program holds the write lock
  };
  const Case cases[] = {
      {"the same rows", -1, -1, -1, false, 0, 1440, true},
      {"one row changed: the stored one stands", -1, -1, 600, false, 0, 1440, true},
      {"one row missing from the file", -1, 600, -1, false, 0, 1439, true},
      {"one row missing from the history", 600, -1, -1, false, 1, 1439, false},
      {"one row more in the file", -1, -1, -1, true, 1, 1440, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string csv = folder.File("260302.csv");
    const std::string database = folder.File("h.sqlite");
    THistoryStore store;
    WriteBytes(csv, DayFile(-1, -1, false));
    ASSERT_EQ(ImportCsvFile(store, database, csv, kTemplate).stored, 1440u);
    if (c.leftOutOfStore >= 0) {
      SqliteConnection(database, SqliteConnection::Mode::kReadWriteCreate)
          .Exec("DELETE FROM minute WHERE t = " + std::to_string(testing::MinuteAt(2026, 3, 2, 10, 0)));
    }
    WriteBytes(csv, DayFile(c.leftOutOfFile, c.changed, c.extra));
    std::optional<SqliteConnection> other;
    if (c.skipped) {
      other.emplace(database, SqliteConnection::Mode::kReadWriteCreate);
      other->Exec("BEGIN IMMEDIATE");
    }
    const TImportCounts counts = ImportCsvFile(store, database, csv, kTemplate);
    EXPECT_EQ(counts.write.fault, THistoryFault::kNone) << counts.write.detail;
    EXPECT_EQ(counts.stored, c.stored);
    EXPECT_EQ(counts.present, c.present);
    other.reset();
    const std::vector<THistoryRow> day = THistoryReader(database).DaySeries(2026, 3, 2);
    ASSERT_EQ(day.size(), 1440u);
    EXPECT_EQ(day[600].hundredths[2], 60000);
    EXPECT_EQ(THistoryReader(database).DaySeries(2026, 3, 3).size(), c.extra ? 1u : 0u);
  }
}

TEST(HistoryImport, CommandReadsTheSettingsAndReportsEachFile) {
  const testing::ScopedClock utc;
  TempFolder folder;
  SetProgramFolder(folder.Path());
  std::filesystem::create_directory(folder.File("Data"));
  WriteBytes(folder.File("Template.csv"), kTemplate[0] + "\r\n" + kTemplate[1] + "\r\n");
  WriteBytes(folder.File("Helvanta.ini"), "[Data Logging]\r\nTemplateFile=" + folder.File("Template.csv") +
                                              "\r\nOutputFolder=" + folder.File("Data") +
                                              "\r\n[History]\r\nKeepDays=x\r\n");
  const std::string csv = folder.File("Data/260302.csv");
  WriteBytes(csv, Record("03/02/2026", "10:04:00", "230.15", "1234.00", "00A1") + "junk\r\n");
  std::vector<std::string> out;
  std::vector<std::string> err;
  const int status = RunHistoryImport(
      {csv}, [&](const std::string& line) { out.push_back(line); },
      [&](const std::string& line) { err.push_back(line); });
  EXPECT_EQ(status, 1) << "a line that does not match fails the command";
  EXPECT_EQ(out, (std::vector<std::string>{csv + ":", "  rows stored: 1",
                                           "  lines that do not match the template's record line (not imported): 1",
                                           "  first of them: line 2"}));
  EXPECT_EQ(err, (std::vector<std::string>{"Invalid setting replaced by its default: KeepDays=x (now 0)"}));
  EXPECT_EQ(THistoryReader(folder.File("Data/helvanta.sqlite")).DaySeries(2026, 3, 2).size(), 1u);
  EXPECT_EQ(RunHistoryImport(
                {}, [](const std::string&) {}, [](const std::string&) {}),
            1);
  AppSettings = TAppSettings{};
}

}  // namespace
}  // namespace helvanta
