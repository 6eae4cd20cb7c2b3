#include "link/polling_cycle.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "config/language.hpp"
#include "config/settings.hpp"
#include "link/answer_router.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "logging/log_marks.hpp"
#include "runtime/clock.hpp"
#include "serial/comport.hpp"
#include "support/pty_pair_posix.hpp"

namespace helvanta {
namespace {

DateTime At(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  return DateTime{year, month, day, hour, minute, second, millisecond};
}

TEST(PollingCycle, WindowBoundsComeFromTodaysDateAndTheTimeTexts) {
  const auto window = ComputeConnectionWindow(At(2026, 12, 7, 13, 14, 15, 999), "04:30:00", "22:30:05");
  EXPECT_EQ(window.start, At(2026, 12, 7, 4, 30, 0));
  EXPECT_EQ(window.end, At(2026, 12, 7, 22, 30, 5));

  // Settings are read at every call.
  AppSettings.From = "00:00:01";
  AppSettings.Till = "23:59:59";
  const auto fromSettings = ComputeConnectionWindow(At(2024, 2, 29, 0, 0, 0));
  EXPECT_EQ(fromSettings.start, At(2024, 2, 29, 0, 0, 1));
  EXPECT_EQ(fromSettings.end, At(2024, 2, 29, 23, 59, 59));

  EXPECT_THROW(ComputeConnectionWindow(At(2026, 1, 1, 0, 0, 0), "25:00:00", "22:30:00"), ETimeOfDay);
  EXPECT_THROW(ComputeConnectionWindow(At(2026, 1, 1, 0, 0, 0), "04:30:00", ""), ETimeOfDay);
  EXPECT_THROW(ComputeConnectionWindow(At(2026, 1, 1, 0, 0, 0), "half past four", "22:30:00"), ETimeOfDay);
}

TEST(PollingCycle, ConnectAndDisconnectComparisonsAreStrict) {
  const auto window = ComputeConnectionWindow(At(2026, 6, 1, 12, 0, 0), "04:30:00", "22:30:00");

  // Automatic connect: closed, service mode, strictly inside.
  EXPECT_FALSE(AutoConnectDue(false, At(2026, 6, 1, 4, 30, 0), window, true));
  EXPECT_TRUE(AutoConnectDue(false, At(2026, 6, 1, 4, 30, 0, 1), window, true));
  EXPECT_TRUE(AutoConnectDue(false, At(2026, 6, 1, 22, 29, 59, 999), window, true));
  EXPECT_FALSE(AutoConnectDue(false, At(2026, 6, 1, 22, 30, 0), window, true));
  EXPECT_FALSE(AutoConnectDue(true, At(2026, 6, 1, 12, 0, 0), window, true));
  EXPECT_FALSE(AutoConnectDue(false, At(2026, 6, 1, 12, 0, 0), window, false));

  // Automatic disconnect: open and strictly after the end; before the start is no reason.
  EXPECT_FALSE(AutoDisconnectDue(true, At(2026, 6, 1, 22, 30, 0), window));
  EXPECT_TRUE(AutoDisconnectDue(true, At(2026, 6, 1, 22, 30, 0, 1), window));
  EXPECT_FALSE(AutoDisconnectDue(false, At(2026, 6, 1, 23, 0, 0), window));
  EXPECT_FALSE(AutoDisconnectDue(true, At(2026, 6, 1, 3, 0, 0), window));

  // A window over midnight never connects and disconnects every tick after Till.
  const auto overMidnight = ComputeConnectionWindow(At(2026, 6, 1, 12, 0, 0), "22:00:00", "02:00:00");
  for (int hour = 0; hour < 24; ++hour) {
    EXPECT_FALSE(AutoConnectDue(false, At(2026, 6, 1, hour, 0, 30), overMidnight, true)) << hour;
    EXPECT_EQ(AutoDisconnectDue(true, At(2026, 6, 1, hour, 0, 30), overMidnight), hour >= 2) << hour;
  }
}

TEST(PollingCycle, LoggerResultsBecomeTheirMessages) {
  AppSettings.TemplateFile = "/srv/helvanta/Template.csv";
  AppSettings.OutputFolder = "/srv/helvanta/Data";
  const DateTime now = At(2026, 12, 7, 14, 4, 0);
  TLanguageList english;

  EXPECT_EQ(LoggerMessage(english, kLogNothingToReport, " ", now), "");
  EXPECT_EQ(LoggerMessage(english, kLogTemplateUnreadable, " ", now),
            "Could not open template file: /srv/helvanta/Template.csv!");
  EXPECT_EQ(LoggerMessage(english, kLogFileNotWritable, " ", now),
            "Could not save data to: /srv/helvanta/Data/261207.csv! Disk full or write protected!");
  EXPECT_EQ(LoggerMessage(english, kLogFileNotWritable, "\n", now),
            "Could not save data to: /srv/helvanta/Data/261207.csv!\nDisk full or write protected!");

  TLanguageList german;
  german.LoadFromText("0007=Vorlage %s fehlt\r\n0008=\r\n");
  EXPECT_EQ(LoggerMessage(german, kLogTemplateUnreadable, " ", now), "Vorlage /srv/helvanta/Template.csv fehlt");
  // An empty translation keeps the built-in text.
  EXPECT_EQ(LoggerMessage(german, kLogFileNotWritable, " ", now),
            "Could not save data to: /srv/helvanta/Data/261207.csv! Disk full or write protected!");
}

TEST(PollingCycle, RequestGoesOutUnchangedAndThePseudoAnswerDecodesAtOnce) {
  testing::PtyPair pty;
  ManualClock clock(At(2026, 12, 7, 12, 0, 30));
  SetProgramClock(&clock);
  AppSettings.RequestInterval = 1;
  InitMeasurands();
  TComPort port;
  ConfigureInverterPort(port);
  port.SetPort(pty.SlavePath());
  port.Open();

  std::int32_t index = 44;
  SendRequest(port, index);
  EXPECT_EQ(index, 0);
  std::int32_t expectedIndex = 44;
  EXPECT_EQ(pty.Receive(kTelegramSize), BuildRequest(expectedIndex));
  EXPECT_EQ(Measurands[0].Value, "N/A");
  const int voltage = IndexOfRow(0);
  index = voltage - 1;
  SendRequest(port, index);
  pty.Drain();

  std::vector<std::string> packets;
  const auto handler = [&](const std::string& packet) {
    packets.push_back(packet);
    DecodeAnswer(packet, index);
  };
  AppSettings.ReceivePseudoData = false;
  EXPECT_FALSE(DeliverPseudoAnswer(handler));
  EXPECT_TRUE(packets.empty());
  AppSettings.ReceivePseudoData = true;
  EXPECT_TRUE(DeliverPseudoAnswer(handler));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], "X0053008E4XX");
  EXPECT_EQ(Measurands[voltage].Value, "227.60");

  // The connected steps send one request per call and feed the pseudo answer to the
  // entry just requested.
  TAnswerRouter router;
  TLogMarks marks;
  for (int i = 0; i < kMeasurandCount; ++i) {
    RunConnectedSteps(port, index, router, marks,
                      [](const LogOutcome& outcome) { EXPECT_FALSE(outcome.due) << "no logging moment expected"; });
    pty.Drain();
  }
  EXPECT_EQ(index, voltage);
  for (int i = 0; i < kMeasurandCount; ++i) EXPECT_NE(Measurands[i].Value, "N/A") << i;
  port.Close();
  AppSettings = TAppSettings{};
  SetProgramClock(nullptr);
}

}  // namespace
}  // namespace helvanta
