// /metrics: the measurands in base units with the port as label, Helvanta's own counts,
// values without a good answer left out, the [Web] login, and many scrapes at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <vector>

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "web/http_client.hpp"
#include "web/metrics_text.hpp"
#include "web/web_routes.hpp"
#include "web/web_server.hpp"

namespace helvanta {
namespace {

constexpr std::int64_t kNowMs = 1'000'000;

void SetRow(std::string_view key, std::string value) {
  for (const SensorRow& row : SensorRows()) {
    if (row.key != key) continue;
    TMeasurand& m = Measurands[static_cast<std::size_t>(IndexOfRow(row.row))];
    m.Value = m.GoodValue = std::move(value);
    m.GoodAtMs = kNowMs - 1000;
  }
}

THostFigures SomeFigures() {
  THostFigures figures;
  figures.answersReceived = 4500;
  figures.answersMissed = 7;
  figures.damagedWords = 2;
  figures.recordsWritten = 96;
  figures.marksSkipped = 1;
  figures.reconnects = 3;
  figures.historyRowsWritten = 480;
  figures.lineUp = true;
  figures.links = {{"mqtt", true, 1765270000}, {"pvoutput", false, std::nullopt}};
  return figures;
}

TEST(MetricsTextTest, ShowsEachMeasurandInBaseUnitsAndTheProgramsOwnCounts) {
  InitMeasurands();
  for (const SensorRow& row : SensorRows()) SetRow(row.key, row.numeric ? "12.00" : "0012");
  SetRow("workingtime_min_sec", "12:34");
  const std::string text = MetricsText(MetricsFigures("COM1", SomeFigures(), kNowMs));
  const std::vector<std::string> expected{
      "helvanta_ac_power_watts{port=\"COM1\"} 12\n",
      "helvanta_cooler_temperature_celsius{port=\"COM1\"} 12\n",
      "helvanta_efficiency_ratio{port=\"COM1\"} 0.12\n",
      "helvanta_working_time_seconds{port=\"COM1\"} 43200\n",
      "# TYPE helvanta_energy_joules_total counter\nhelvanta_energy_joules_total{port=\"COM1\"} 43200000\n",
      "# TYPE helvanta_energy_yesterday_joules gauge\n",
      "helvanta_error_state{port=\"COM1\"} 18\n",
      "helvanta_answers_received_total{port=\"COM1\"} 4500\n",
      "helvanta_answers_missed_total{port=\"COM1\"} 7\n",
      "helvanta_damaged_words_total{port=\"COM1\"} 2\n",
      "helvanta_records_written_total{port=\"COM1\"} 96\n",
      "helvanta_marks_skipped_total{port=\"COM1\"} 1\n",
      "helvanta_reconnects_total{port=\"COM1\"} 3\n",
      "helvanta_history_rows_written_total{port=\"COM1\"} 480\n",
      "helvanta_line_up{port=\"COM1\"} 1\n",
      "helvanta_output_connected{output=\"mqtt\"} 1\nhelvanta_output_connected{output=\"pvoutput\"} 0\n",
      "helvanta_output_last_success_timestamp_seconds{output=\"mqtt\"} 1765270000\n",
  };
  for (const std::string& line : expected) EXPECT_NE(text.find(line), std::string::npos) << line << text;
  EXPECT_EQ(text.find("pvoutput\"} 1765"), std::string::npos);
  // Every displayed measurand but the minutes and seconds of the working time: 31 families.
  std::size_t families = 0;
  for (std::size_t at = text.find("# TYPE helvanta_"); at != std::string::npos; at = text.find("# TYPE", at + 1)) {
    ++families;
  }
  EXPECT_EQ(families, 31u + 8u + 2u) << text;
}

TEST(MetricsTextTest, LeavesOutMeasurandsWithoutAGoodAnswerInThePresenceWindow) {
  InitMeasurands();
  SetRow("power_ac", "655.00");
  SetRow("voltage_ac", "230.00");
  Measurands[static_cast<std::size_t>(IndexOfRow(0))].GoodAtMs = kNowMs - 136'000;
  THostFigures figures = SomeFigures();
  figures.lineUp = false;
  figures.links.clear();
  const std::string text = MetricsText(MetricsFigures("COM1", figures, kNowMs));
  EXPECT_NE(text.find("helvanta_ac_power_watts{port=\"COM1\"} 655\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("helvanta_ac_voltage_volts"), std::string::npos) << text;
  EXPECT_EQ(text.find("helvanta_dc_power_watts"), std::string::npos) << text;
  EXPECT_NE(text.find("helvanta_line_up{port=\"COM1\"} 0\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("helvanta_output_"), std::string::npos) << text;
}

TEST(MetricsTextTest, IsServedBehindTheLoginToManyScrapersAtOnce) {
  InitMeasurands();
  SetRow("power_ac", "655.00");
  TSnapshotSlot slot;
  TWebSnapshot snapshot;
  snapshot.metrics = MetricsFigures("COM\"1", SomeFigures(), kNowMs);
  slot.Publish(std::move(snapshot));
  TWebRoutes routes(slot, "solar", "sunny");
  TWebServer server(routes);
  ASSERT_EQ(server.Start({"127.0.0.1", 0}), "");
  EXPECT_EQ(testing::Get(server.Port(), "/metrics").status, 401);
  const std::string login = "Authorization: Basic c29sYXI6c3Vubnk=\r\n";  // solar:sunny
  const testing::THttpAnswer answer = testing::Get(server.Port(), "/metrics", login);
  EXPECT_EQ(answer.status, 200);
  EXPECT_NE(answer.head.find("Content-Type: text/plain; version=0.0.4"), std::string::npos) << answer.head;
  EXPECT_NE(answer.body.find("helvanta_ac_power_watts{port=\"COM\\\"1\"} 655\n"), std::string::npos) << answer.body;

  // Fifty at once, from ten addresses (the server lets one address hold 16 connections).
  std::vector<std::future<testing::THttpAnswer>> scrapes;
  const std::vector<std::string> from{"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5",  "127.0.0.6",
                                      "127.0.0.7", "127.0.0.8", "127.0.0.9", "127.0.0.10", "127.0.0.11"};
  for (int i = 0; i < 50; ++i) {
    scrapes.push_back(std::async(std::launch::async, [&, i] {
      return testing::SendRaw(server.Port(),
                              "GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + login + "\r\n", 10'000,
                              from[static_cast<std::size_t>(i % 10)].c_str());
    }));
  }
  const std::size_t whole = static_cast<std::size_t>(std::count_if(scrapes.begin(), scrapes.end(), [](auto& scrape) {
    const testing::THttpAnswer a = scrape.get();
    return a.status == 200 && a.body.ends_with("} 1765270000\n");
  }));
  EXPECT_EQ(whole, 50u);
}

}  // namespace
}  // namespace helvanta
