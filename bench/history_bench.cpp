// The history database with synthetic years of minute rows (525 600 a year, every minute
// from 2026 on, daylight power curve, the offsets of Central European time): prints the
// file size, the time of one live row (its own transaction), and median and p99 of a
// day's minute series (the days summer time begins and ends among them) and of a year's
// daily energies over many queries, and the open at a start with its first row. Targets:
// < 100 MB a year, day < 50 ms, year < 100 ms, the open the same for 1 and 10 years.
//   history_bench [--years=N, default 1] [database path, default a new temporary folder]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "history/history_reader.hpp"
#include "history/history_store.hpp"
#include "history/sqlite_connection.hpp"

namespace {

using namespace helvanta;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrintTimes(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-28s median %8.3f ms   p99 %8.3f ms   (%zu runs)\n", what, ms[ms.size() / 2], ms[ms.size() * 99 / 100],
              ms.size());
}

// UTC+1, and UTC+2 from the last Sunday of March 01:00 UTC to the last Sunday of October.
int CentralEuropeanOffset(std::int64_t utcMinute) {
  const int year = FromEpochMilliseconds(utcMinute * 60'000).year;
  const auto lastSundayOneUtc = [year](int month) {
    std::int64_t day = DaysFromCivil(year, month, 31);
    day -= ((day + 4) % 7 + 7) % 7;  // 1970-01-01 was a Thursday
    return day * 1440 + 60;
  };
  return utcMinute >= lastSundayOneUtc(3) && utcMinute < lastSundayOneUtc(10) ? 120 : 60;
}

// Values as an inverter of about 4 kW gives them, in hundredths.
THistoryRow SyntheticRow(std::int64_t minute, std::int64_t& workTotal, std::int64_t& workDay, std::mt19937& random) {
  THistoryRow row;
  row.utcMinute = minute;
  row.offsetMinutes = CentralEuropeanOffset(minute);
  const int minuteOfDay = static_cast<int>(row.LocalMinute() % 1440);
  if (minuteOfDay == 0) workDay = 0;
  const double sun = std::max(0.0, std::sin(M_PI * (minuteOfDay - 360) / 720.0));
  std::uniform_int_distribution<int> noise(-50, 50);
  const std::int64_t acPower = static_cast<std::int64_t>(sun * 400'000) + (sun > 0 ? noise(random) * 10 : 0);
  // A minute at P watts gives P / 60 Wh; the counters are kept in hundredths of a Wh.
  workDay += acPower / 60;
  workTotal += acPower / 60;
  auto set = [&row](int r, std::int64_t v) { row.hundredths[static_cast<std::size_t>(r)] = v; };
  set(0, 23000 + noise(random));
  set(1, acPower > 0 ? acPower * 100 / 23000 : 0);
  set(2, acPower);
  set(3, sun > 0 ? 35000 + noise(random) * 10 : 0);
  set(4, sun > 0 ? acPower * 100 / 35000 : 0);
  set(5, acPower * 105 / 100);
  set(6, 2000 + static_cast<std::int64_t>(sun * 3000));
  set(7, 1234500 + minute / 60 * 100);
  set(8, (minuteOfDay % 60) * 100);
  set(9, 1000000 + workTotal / 1000);
  set(10, workDay / 1000);
  set(11, 2345);
  set(12, 1000000);
  set(13, 45678);
  set(14, 51234);
  set(15, 990000);
  set(16, 123456);
  set(17, 456789);
  set(18, 880000);
  set(19, sun > 0 ? 9400 + noise(random) : 0);
  set(20, 19600);
  set(21, 25300);
  set(22, 10000);
  set(23, 5000 + noise(random) / 10);
  set(24, 45 + noise(random) / 25);
  set(25, 120);
  set(26, 0);
  set(27, 0);
  row.texts[28] = "0000";
  row.texts[29] = sun > 0 ? "0001" : "0000";
  set(30, 100);
  set(31, 12300);
  return row;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string path;
  int years = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.starts_with("--years=")) {
      years = std::max(1, std::atoi(arg.c_str() + 8));
    } else {
      path = arg;
    }
  }
  if (path.empty()) {
    folder = (std::filesystem::temp_directory_path() / "helvanta-history-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    path = folder + "/helvanta.sqlite";
  }
  const std::int64_t first = DaysFromCivil(2026, 1, 1) * 1440;
  const int days = static_cast<int>(DaysFromCivil(2026 + years, 1, 1) - DaysFromCivil(2026, 1, 1));
  std::mt19937 random(42);
  std::int64_t workTotal = 0;
  std::int64_t workDay = 0;
  {
    THistoryStore store;
    const auto begin = Clock::now();
    // One transaction a day to fill the years quickly; the live writer uses one a row.
    for (int day = 0; day < days; ++day) {
      std::vector<THistoryRow> rows;
      for (int m = 0; m < 1440; ++m) rows.push_back(SyntheticRow(first + day * 1440 + m, workTotal, workDay, random));
      const THistoryWriteResult result = store.Write(path, rows);
      if (result.fault != THistoryFault::kNone) {
        std::fprintf(stderr, "write failed: %s\n", result.detail.c_str());
        return 1;
      }
    }
    std::printf("filled %d year(s) (%d rows) in %.1f s\n", years, days * 1440, Ms(Clock::now() - begin) / 1000);
    // Live rows: each its own transaction, as at each minute mark.
    std::vector<double> live;
    for (int m = 0; m < 200; ++m) {
      const THistoryRow row = SyntheticRow(first + days * 1440 + m, workTotal, workDay, random);
      const auto t0 = Clock::now();
      store.Write(path, std::vector{row});
      live.push_back(Ms(Clock::now() - t0));
    }
    PrintTimes("one live row", live);
  }
  // As at every start: a store of its own opens the file for the first row.
  std::vector<double> opens;
  for (int i = 0; i < 20; ++i) {
    const THistoryRow row = SyntheticRow(first + days * 1440 + 200 + i, workTotal, workDay, random);
    const auto t0 = Clock::now();
    THistoryStore().Write(path, std::vector{row});
    opens.push_back(Ms(Clock::now() - t0));
  }
  PrintTimes("open and first row", opens);
  // The reference: the whole-file check that every open used to make.
  std::vector<double> checks;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = Clock::now();
    SqliteConnection(path, SqliteConnection::Mode::kReadOnly).QueryText("PRAGMA quick_check(1)");
    checks.push_back(Ms(Clock::now() - t0));
  }
  PrintTimes("whole-file quick_check", checks);
  std::printf("database size: %.1f MB (%ju bytes)\n", static_cast<double>(std::filesystem::file_size(path)) / 1e6,
              static_cast<std::uintmax_t>(std::filesystem::file_size(path)));

  THistoryReader reader(path);
  std::uniform_int_distribution<int> dayOf(0, days - 1);
  std::vector<double> dayTimes;
  std::size_t minutes = 0;
  for (int i = 0; i < 1000; ++i) {
    const DateTime date = FromEpochMilliseconds((first / 1440 + dayOf(random)) * 86'400'000);
    const auto t0 = Clock::now();
    minutes += reader.DaySeries(date.year, date.month, date.day).size();
    dayTimes.push_back(Ms(Clock::now() - t0));
  }
  PrintTimes("day's minute series", dayTimes);
  std::printf("minutes of 2026-03-29: %zu, of 2026-10-25: %zu\n", reader.DaySeries(2026, 3, 29).size(),
              reader.DaySeries(2026, 10, 25).size());
  std::vector<double> yearTimes;
  std::size_t energies = 0;
  for (int i = 0; i < 1000; ++i) {
    const auto t0 = Clock::now();
    energies += reader.DailyEnergies(2026).size();
    yearTimes.push_back(Ms(Clock::now() - t0));
  }
  PrintTimes("year's daily energies", yearTimes);
  std::vector<double> months;
  for (int i = 0; i < 1000; ++i) {
    const auto t0 = Clock::now();
    energies += reader.MonthlyEnergies(2026).size();
    months.push_back(Ms(Clock::now() - t0));
  }
  PrintTimes("year's monthly energies", months);
  std::printf("(read %zu minutes and %zu energies)\n", minutes, energies);
  if (!folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
