// /metrics read by Prometheus' own tools: promtool finds the text clean, with values and
// during a line outage, and a real Prometheus server scrapes helvanta polling the
// simulator and answers a query with the AC power.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "support/file_bytes.hpp"
#include "support/sim_process_posix.hpp"
#include "support/spawn_posix.hpp"
#include "support/temp_folder.hpp"
#include "web/http_client.hpp"
#include "web/listen_socket.hpp"
#include "web/metrics_text.hpp"

namespace helvanta {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

bool Installed(const char* program) { return access(program, X_OK) == 0; }

int FreePort() {
  const TListenSocket probe = OpenListenSocket({"127.0.0.1", 0});
  const int port = probe.port;
  CloseListenSocket(probe.handle);
  return port;
}

struct PromtoolCase {
  const char* name;
  bool lineUp;
};

class PromtoolTest : public ::testing::TestWithParam<PromtoolCase> {};

TEST_P(PromtoolTest, FindsTheMetricsClean) {
  if (!Installed("/usr/bin/promtool")) GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  constexpr std::int64_t kNowMs = 500'000;
  InitMeasurands();
  if (GetParam().lineUp) {
    for (const SensorRow& row : SensorRows()) {
      TMeasurand& m = Measurands[static_cast<std::size_t>(IndexOfRow(row.row))];
      m.Value = m.GoodValue = row.numeric ? "95.50" : "0012";
      m.GoodAtMs = kNowMs;
    }
  }
  THostFigures figures;
  figures.lineUp = GetParam().lineUp;
  figures.answersReceived = 100;
  figures.links = {{"mqtt", GetParam().lineUp, 1765270000}, {"pvoutput", false, std::nullopt}};
  TempFolder folder;
  const std::string text = MetricsText(MetricsFigures("COM1", figures, kNowMs));
  WriteBytes(folder.File("metrics.txt"), text);
  const pid_t promtool = testing::SpawnWithOutput(
      {"/bin/sh", "-c", "exec /usr/bin/promtool check metrics < " + folder.File("metrics.txt")},
      folder.File("promtool.txt"));
  ASSERT_GT(promtool, 0);
  EXPECT_EQ(testing::WaitExit(promtool), 0) << ReadBytes(folder.File("promtool.txt")) << text;
  EXPECT_EQ(ReadBytes(folder.File("promtool.txt")), "") << text;
  EXPECT_EQ(text.find("helvanta_ac_power_watts") != std::string::npos, GetParam().lineUp) << text;
}

INSTANTIATE_TEST_SUITE_P(Lines, PromtoolTest,
                         ::testing::Values(PromtoolCase{"Answering", true}, PromtoolCase{"InAnOutage", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Polls Prometheus' query API until the answer matches; the last answer either way.
std::string QueryUntil(int port, const std::string& query, const std::regex& wanted) {
  std::string body;
  for (int i = 0; i < 120; ++i) {
    body = testing::Get(port, "/api/v1/query?query=" + query).body;
    if (std::regex_search(body, wanted)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return body;
}

TEST(PrometheusTest, ScrapesHelvantaPollingTheSimulator) {
  if (!Installed("/usr/bin/prometheus")) GTEST_SKIP() << "prometheus is not installed (Debian package prometheus)";
  TempFolder folder;
  sim::test::SimProcess simulator({"--fast", "--seed", "1"});
  ASSERT_FALSE(simulator.DevicePath().empty());
  const int webPort = FreePort();
  std::filesystem::create_directory(folder.File("Data"));
  std::filesystem::copy_file(HELVANTA_SOURCE_DIR "/packaging/Template.csv", folder.File("Template.csv"));
  WriteBytes(folder.File("Helvanta.ini"),
             "[Data Logging]\nComPort=COM1\nFrom=00:00:00\nTill=23:59:59\nRequestInterval=1\nTemplateFile=" +
                 folder.File("Template.csv") + "\nOutputFolder=" + folder.File("Data") + "\n[Ports]\nCOM1=" +
                 simulator.DevicePath() + "\n[History]\nEnabled=0\n[Web]\nListen=127.0.0.1:" + std::to_string(webPort) +
                 "\nUser=scraper\nPassword=sunny\n");
  const std::string program = folder.File("helvanta");
  std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", program);
  const pid_t helvanta = testing::SpawnWithOutput({program, "-service"}, folder.File("events.txt"));
  ASSERT_GT(helvanta, 0);

  const int promPort = FreePort();
  WriteBytes(folder.File("prometheus.yml"),
             "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n  - job_name: helvanta\n"
             "    basic_auth:\n      username: scraper\n      password: sunny\n"
             "    static_configs:\n      - targets: ['127.0.0.1:" +
                 std::to_string(webPort) + "']\n");
  const pid_t prometheus = testing::SpawnWithOutput(
      {"/usr/bin/prometheus", "--config.file=" + folder.File("prometheus.yml"),
       "--storage.tsdb.path=" + folder.File("tsdb"), "--web.listen-address=127.0.0.1:" + std::to_string(promPort)},
      folder.File("prometheus.txt"));
  ASSERT_GT(prometheus, 0);

  // The AC power needs its low and its high word: about ten seconds of polling.
  const std::string power = QueryUntil(promPort, "helvanta_ac_power_watts",
                                       std::regex("\"port\":\"COM1\"\\}?,\"value\":\\[[0-9.]+,\"[0-9.]+\"\\]"));
  EXPECT_TRUE(std::regex_search(power, std::regex("\"__name__\":\"helvanta_ac_power_watts\"")))
      << power << ReadBytes(folder.File("prometheus.txt")) << ReadBytes(folder.File("events.txt"));
  const std::string line = QueryUntil(promPort, "helvanta_line_up", std::regex("\"value\":\\[[0-9.]+,\"1\"\\]"));
  EXPECT_TRUE(std::regex_search(line, std::regex("\"value\":\\[[0-9.]+,\"1\"\\]"))) << line;

  kill(prometheus, SIGTERM);
  kill(helvanta, SIGTERM);
  EXPECT_TRUE(testing::WaitExitWithin(prometheus, std::chrono::seconds(10)).has_value());
  EXPECT_EQ(testing::WaitExitWithin(helvanta, std::chrono::seconds(10)), std::optional(0));
}

}  // namespace
}  // namespace helvanta
