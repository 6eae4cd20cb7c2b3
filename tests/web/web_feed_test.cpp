// The host's side of the web page: [Web] read, the refusal of an open address without a
// password, a port in use reported once and retried, and the live state on the page.
#include <gtest/gtest.h>

#include "config/language.hpp"
#include "link/measurands.hpp"
#include "runtime/program_folder.hpp"
#include "support/clock_readings.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"
#include "web/http_client.hpp"
#include "web/listen_socket.hpp"
#include "web/web_feed.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

class WebFeedTest : public ::testing::Test {
 protected:
  void StartWith(const std::string& web) {
    SetProgramFolder(folder.Path());
    WriteBytes(folder.File("Helvanta.ini"), "[Data Logging]\r\nOutputFolder=" + folder.Path() + "\r\n" + web);
    LoadSettings();
    std::vector<TReplacedSetting> replaced;
    feed.Start({list, " ", replaced});
    EXPECT_TRUE(replaced.empty());
  }

  std::vector<std::string> Tick(int second) {
    std::vector<std::string> texts;
    const THostTick tick{ReadingAt({2026, 3, 2, 12, 0, second, 0}),
                         true,
                         "COM1",
                         "/dev/ttyS0",
                         folder.File("h.sqlite"),
                         list,
                         " ",
                         figures};
    for (const THostMessage& m : feed.Tick(tick)) texts.push_back(m.text);
    return texts;
  }

  TempFolder folder;
  TLanguageList list;
  THostFigures figures;
  TWebFeed feed;
};

TEST_F(WebFeedTest, IsOffWithoutTheSectionAndRefusesAnOpenAddressWithoutAPassword) {
  StartWith("");
  EXPECT_TRUE(Tick(0).empty());
  EXPECT_FALSE(feed.Listening());
  StartWith("[Web]\r\nListen=0.0.0.0:1\r\nUser=solar\r\n");
  EXPECT_EQ(Tick(0),
            std::vector<std::string>{
                "Web page not started: 0.0.0.0:1 is not a loopback address, so [Web] needs a User and a Password."});
  EXPECT_TRUE(Tick(1).empty());
  EXPECT_FALSE(feed.Listening());
}

TEST_F(WebFeedTest, ReportsAPortInUseOnceAndListensOnceItIsFree) {
  const TListenSocket taken = OpenListenSocket({"127.0.0.1", 0});
  ASSERT_GE(taken.handle, 0);
  const std::string address = "127.0.0.1:" + std::to_string(taken.port);
  StartWith("[Web]\r\nListen=" + address + "\r\n");
  EXPECT_EQ(Tick(0),
            std::vector<std::string>{"Web page cannot listen on " + address +
                                     " (Address already in use) Polling and the CSV log go on; trying again."});
  EXPECT_TRUE(Tick(1).empty());
  CloseListenSocket(taken.handle);
  EXPECT_TRUE(Tick(2).empty());  // the next attempt waits 5 s
  EXPECT_EQ(Tick(5), std::vector<std::string>{"Web page listening again: http://" + address + "/"});
  ASSERT_TRUE(feed.Listening());

  InitMeasurands();
  Measurands[static_cast<std::size_t>(IndexOfRow(2))].Value = "1234.5";
  feed.AfterLogger({true, 0, {2026, 3, 2, 12, 0, 0, 0}});
  // Unread, the snapshot is renewed every 10 s; once read, at every tick.
  Tick(6);
  EXPECT_NE(testing::Get(taken.port, "/api/live").body.find("\"time\":\"2026-03-02T12:00:00\""), std::string::npos);
  Tick(7);
  const std::string live = testing::Get(taken.port, "/api/live").body;
  for (const std::string part : {"\"time\":\"2026-03-02T12:00:07\"", "\"connected\":true", "\"port\":\"COM1\"",
                                 "\"device\":\"/dev/ttyS0\"", "\"last_record\":\"2026-03-02T12:00:00\"", "260302.csv\"",
                                 "{\"key\":\"power_ac\",\"name\":\"Power (AC)\",\"unit\":\"W\",\"value\":1234.5}",
                                 "{\"key\":\"cooler_temperature\",\"name\":\"Cooler temperature\",\"unit\":\"\xC2\xB0"
                                 "C\",\"value\":null}"}) {
    EXPECT_NE(live.find(part), std::string::npos) << part << " not in " << live;
  }
  feed.Stop();
  EXPECT_EQ(testing::Get(taken.port, "/api/live").status, 0);
}

}  // namespace
}  // namespace helvanta
