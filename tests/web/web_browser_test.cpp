// The page in a real browser: headless Chromium loads it from helvanta polling the
// simulator, and the DOM shows live values and charts with points. It also leaves a
// screenshot, web-page.png, in the build folder.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <regex>
#include <thread>

#include "history/history_store.hpp"
#include "runtime/clock.hpp"
#include "support/file_bytes.hpp"
#include "support/history_fixtures.hpp"
#include "support/sim_process_posix.hpp"
#include "support/spawn_posix.hpp"
#include "support/temp_folder.hpp"
#include "web/devtools_browser_posix.hpp"
#include "web/http_client.hpp"
#include "web/listen_socket.hpp"

namespace helvanta {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string FindChromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return {};
}

// Whether it ended within the time; it is killed otherwise.
bool WaitFor(pid_t pid, std::chrono::seconds timeout) {
  if (testing::WaitExitWithin(pid, timeout)) return true;
  testing::KillAndReap(pid);
  return false;
}

// A sunny day's minutes for each local date of the clock's zone (23 to 25 hours of
// them), and one energy for every earlier day of the first date's year.
void FillHistory(const std::string& path, const Clock& clock, const std::vector<DateTime>& days) {
  std::vector<THistoryRow> rows;
  const auto utcMinuteOf = [&clock](std::int64_t localDay, int minute) {
    return clock.UtcOfLocal(FromEpochMilliseconds((localDay * 1440 + minute) * 60'000)) / 60'000;
  };
  const auto add = [&clock, &rows](THistoryRow row, std::int64_t utcMinute) {
    row.utcMinute = utcMinute;
    row.offsetMinutes = clock.OffsetMinutesAt(utcMinute * 60'000);
    rows.push_back(std::move(row));
  };
  const std::int64_t firstDay = DaysFromCivil(days[0].year, 1, 1);
  const std::int64_t today = DaysFromCivil(days[0].year, days[0].month, days[0].day);
  for (std::int64_t d = firstDay; d < today; ++d) add(testing::FullRow(0, 600 + (d * 37) % 500), utcMinuteOf(d, 1200));
  for (const DateTime& date : days) {
    const std::int64_t day = DaysFromCivil(date.year, date.month, date.day);
    std::int64_t energy = 0;
    for (std::int64_t u = utcMinuteOf(day, 0); u < utcMinuteOf(day + 1, 0); ++u) {
      THistoryRow row = testing::FullRow(0);
      const double sun = std::max(0.0, std::sin(M_PI * static_cast<double>(u - utcMinuteOf(day, 360)) / 840.0));
      row.hundredths[2] = static_cast<std::int64_t>(sun * 95'000);
      row.hundredths[5] = static_cast<std::int64_t>(sun * 101'000);
      energy += *row.hundredths[2] / 60;
      row.hundredths[10] = energy / 1000;
      add(std::move(row), u);
    }
  }
  ASSERT_EQ(THistoryStore().Write(path, rows).fault, THistoryFault::kNone);
}

TEST(WebBrowserTest, ThePageShowsLiveValuesAndCharts) {
  const std::string chromium = FindChromium();
  if (chromium.empty()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  TempFolder folder;
  sim::test::SimProcess simulator({"--fast", "--seed", "1"});
  ASSERT_FALSE(simulator.DevicePath().empty());
  const TListenSocket probe = OpenListenSocket({"127.0.0.1", 0});
  const int port = probe.port;
  CloseListenSocket(probe.handle);

  const std::string program = folder.File("helvanta");
  std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", program);
  std::filesystem::create_directory(folder.File("Data"));
  std::filesystem::copy_file(HELVANTA_SOURCE_DIR "/packaging/Template.csv", folder.File("Template.csv"));
  // Central European time by its rule (no time zone files needed), for the program and
  // the browser alike; the page labels its charts in the program's local time.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  const SystemClock clock;
  // Today, and the day summer time ended in 2025 with its 25 hours.
  FillHistory(folder.File("history.sqlite"), clock, {clock.Now(), DateTime{2025, 10, 26, 0, 0, 0, 0}});
  WriteBytes(folder.File("Helvanta.ini"),
             "[Data Logging]\nComPort=COM1\nFrom=00:00:00\nTill=23:59:59\nRequestInterval=1\nTemplateFile=" +
                 folder.File("Template.csv") + "\nOutputFolder=" + folder.File("Data") + "\n[Ports]\nCOM1=" +
                 simulator.DevicePath() + "\n[History]\nDatabase=" + folder.File("history.sqlite") +
                 "\n[Web]\nListen=127.0.0.1:" + std::to_string(port) + "\n");
  const pid_t helvanta = testing::SpawnWithOutput({program, "-service"}, folder.File("events.txt"));
  ASSERT_GT(helvanta, 0);

  // Live values come one a second; the page is worth loading once the first is in.
  const std::regex value("\"value\":[0-9]");
  bool live = false;
  for (int i = 0; i < 150 && !live; ++i) {
    live = std::regex_search(testing::Get(port, "/api/live").body, value);
    if (!live) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_TRUE(live) << ReadBytes(folder.File("events.txt"));

  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  const DateTime now = clock.Now();
  const std::int64_t todayMinutes =
      (clock.UtcOfLocal(FromEpochMilliseconds((DaysFromCivil(now.year, now.month, now.day) + 1) * 86'400'000)) -
       clock.UtcOfLocal(DateTime{now.year, now.month, now.day, 0, 0, 0, 0})) /
      60'000;
  testing::TDevToolsBrowser browser(chromium, folder.File("profile"));
  ASSERT_TRUE(browser.Open(url));
  // The page keeps its stream of values open; it is read once it shows what it should.
  const std::string drawn =
      "document.querySelector('#day-chart canvas') !== null && "
      "document.querySelector('#year-chart').dataset.points !== '0' && "
      "/[0-9]/.test(document.querySelector('td.value') ? document.querySelector('td.value').textContent : '')";
  EXPECT_TRUE(browser.WaitFor(drawn, std::chrono::seconds(60)));
  const std::string dom = browser.Evaluate("document.documentElement.outerHTML");
  EXPECT_NE(dom.find("class=\"state on\">connected<"), std::string::npos) << dom;
  EXPECT_TRUE(std::regex_search(dom, std::regex("<td class=\"value\">[0-9]"))) << dom;
  EXPECT_TRUE(std::regex_search(
      dom, std::regex("id=\"day-chart\" class=\"chart\" data-points=\"" + std::to_string(todayMinutes) + "\"")))
      << dom;
  EXPECT_TRUE(std::regex_search(dom, std::regex("id=\"year-chart\"[^>]*data-points=\"[1-9]"))) << dom;
  // The values change as the program pushes them: another second, another time shown.
  const std::string updated = browser.Evaluate("document.getElementById('updated').textContent");
  EXPECT_TRUE(browser.WaitFor("document.getElementById('updated').textContent !== '" + updated + "'",
                              std::chrono::seconds(10)));
  const std::string picture = HELVANTA_BINARY_DIR "/web-page.png";
  std::filesystem::remove(picture);
  EXPECT_TRUE(browser.Screenshot(picture));
  EXPECT_TRUE(std::filesystem::exists(picture));

  // A day named in the address, 25 hours long, every minute of it drawn.
  ASSERT_TRUE(browser.Open(url + "#2025-10-26"));
  EXPECT_TRUE(browser.WaitFor("document.getElementById('day-chart').dataset.hours === '25'", std::chrono::seconds(60)));
  EXPECT_EQ(browser.Evaluate("document.getElementById('day-chart').dataset.points"), "1500");

  // On a phone's width the day's chart comes before the 32 rows of values.
  ASSERT_TRUE(browser.Open(url, 400, 800));
  EXPECT_TRUE(
      browser.WaitFor("document.querySelector('#values td') !== null && "
                      "document.getElementById('day-section').getBoundingClientRect().top < "
                      "document.getElementById('values').getBoundingClientRect().top",
                      std::chrono::seconds(30)));

  kill(helvanta, SIGTERM);
  EXPECT_TRUE(WaitFor(helvanta, std::chrono::seconds(10)));
}

}  // namespace
}  // namespace helvanta
