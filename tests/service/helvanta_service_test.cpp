#include "service/helvanta_service.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "logging/date_time_separators.hpp"
#include "support/file_bytes.hpp"
#include "support/service_fixture.hpp"

namespace helvanta::testing {
namespace {

std::vector<std::string> CsvLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", begin);
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(begin, end - begin));
    begin = end + 2;
  }
  return lines;
}

TEST_F(ServiceTest, AWholeDayFollowsTheConnectionWindow) {
  WriteSettings("From=04:30:00\r\nTill=22:30:00\r\nRequestInterval=1\r\nReceivePseudoData=1\r\n");
  clock.Set(At(2026, 12, 7, 3, 0, 0, 2));
  service->ServiceStart();
  // Opened at start although 03:00 is before the window.
  ASSERT_TRUE(service->ComPort1.Connected());
  EXPECT_TRUE(service->Timer1.Enabled());

  std::vector<std::pair<DateTime, bool>> changes;
  bool open = true;
  std::size_t requestBytes = 0;
  // Whole seconds, so that 22:30:00 itself equals the window end.
  for (DateTime t = At(2026, 12, 7, 3, 0, 1); t <= At(2026, 12, 8, 5, 0, 0); t = AddSeconds(t, 1)) {
    clock.Set(t);
    service->Timer1Timer();
    const std::size_t sent = pty.Drain().size();
    requestBytes += sent;
    if (service->ComPort1.Connected() != open) {
      open = !open;
      changes.emplace_back(t, open);
    }
    ASSERT_EQ(sent, open ? std::size_t{kTelegramSize} : 0u) << t.hour << ":" << t.minute << ":" << t.second;
  }
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0], std::make_pair(At(2026, 12, 7, 22, 30, 1), false));
  EXPECT_EQ(changes[1], std::make_pair(At(2026, 12, 8, 4, 30, 1), true));
  EXPECT_EQ(requestBytes, std::size_t{kTelegramSize} * (70200 + 1800));

  // Nothing but the start event and the pseudo answer's word in the error registers: the
  // automatic connects and disconnects are silent.
  ASSERT_EQ(eventLog.events.size(), 2u);
  EXPECT_EQ(eventLog.events[0].type, TEventType::etInformation);
  EXPECT_EQ(eventLog.events[1], (RecordedEvent{TEventType::etWarning,
                                               "The inverter reports an error: Error specification "
                                               "08E4, Error state 08E4."}));

  // One record a minute while open, from the first minute after all 45 answered.
  const auto day1 = CsvLines(ReadBytes(folder.File("Data/261207.csv")));
  ASSERT_EQ(day1.size(), 1u + 1170u);
  EXPECT_EQ(day1[0], "Date,Time,Voltage");
  EXPECT_NE(day1[1].find("03:01:00"), std::string::npos) << day1[1];
  EXPECT_NE(day1.back().find("22:30:00"), std::string::npos) << day1.back();
  const auto day2 = CsvLines(ReadBytes(folder.File("Data/261208.csv")));
  ASSERT_EQ(day2.size(), 1u + 30u);
  EXPECT_NE(day2[1].find("04:31:00"), std::string::npos) << day2[1];
  EXPECT_NE(day2.back().find("05:00:00"), std::string::npos) << day2.back();
}

TEST_F(ServiceTest, StartedAfterTheWindowClosesAtTheFirstTick) {
  WriteSettings("From=04:30:00\r\nTill=22:30:00\r\n");
  clock.Set(At(2026, 12, 7, 23, 0, 0, 3));
  service->ServiceStart();
  EXPECT_TRUE(service->ComPort1.Connected());
  TickAt(At(2026, 12, 7, 23, 0, 1, 3));
  EXPECT_FALSE(service->ComPort1.Connected());
  EXPECT_EQ(service->MeasurandIndex, -1);
}

TEST_F(ServiceTest, DayFileWithPseudoAnswersHoldsExactlyTheseBytes) {
  SetDateTimeSeparators(DateTimeSeparators{'.', ':'});
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=1\r\n");
  folder.WriteFile("Template.csv", "Date,Time,Voltage,Current\n%date%;%time%;%1%;%2%;%33%");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  for (DateTime t = At(2026, 12, 7, 12, 0, 1, 5); t <= At(2026, 12, 7, 12, 3, 0, 5); t = AddSeconds(t, 1)) TickAt(t);
  SetDateTimeSeparators(std::nullopt);

  std::ostringstream expected;
  expected << "Date,Time,Voltage,Current\r\n";
  const std::string current = Measurands[IndexOfRow(1)].Value;
  ASSERT_LE(current.size(), 12u);
  for (const char* time : {"12:01:00", "12:02:00", "12:03:00"}) {
    expected << "  12.07.2026;    " << time << ";      227.60;" << std::string(12 - current.size(), ' ') << current
             << ";%33%\r\n";
  }
  EXPECT_EQ(ReadBytes(folder.File("Data/261207.csv")), expected.str());
  EXPECT_NE(current, "N/A");
}

TEST_F(ServiceTest, AnAnswerOnTheLineReachesTheEntryJustRequested) {
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nReceivePseudoData=0\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  const int voltage = IndexOfRow(0);
  while (service->MeasurandIndex != voltage) TickAt(AddSeconds(clock.Now(), 1));
  ASSERT_EQ(Measurands[voltage].Value, "N/A");
  // Noise before the STX is dropped by the framer.
  pty.Send(std::string("\x7f\x7f") + STX + std::string(PseudoAnswer));
  for (int i = 0; i < 200 && Measurands[voltage].Value == "N/A"; ++i) loop.RunOnce(10);
  EXPECT_EQ(Measurands[voltage].Value, "227.60");
}

TEST_F(ServiceTest, EventsOfStartAndStopInEnglish) {
  // No settings file: the defaults, and a warning naming the file that is missing.
  SetPortDeviceResolver([this](const std::string&) { return pty.SlavePath(); });
  service->ServiceStart();
  service->ServiceStop();
  EXPECT_FALSE(service->ComPort1.Connected());
  EXPECT_FALSE(service->Timer1.Enabled());
  const std::vector<RecordedEvent> expected{
      {TEventType::etWarning,
       "Could not open configurationfile: " + folder.File("Helvanta.ini") + "!\nUsing defaults."},
      {TEventType::etInformation, "Service started.\nConnected to Siemens SPN1000."},
      {TEventType::etInformation, "Service stopped.\nConnection closed."},
  };
  EXPECT_EQ(eventLog.events, expected);
  EXPECT_EQ(AppSettings.From, "04:30:00");
  EXPECT_EQ(AppSettings.ComPort, "COM1");
}

TEST_F(ServiceTest, UnusableSettingsAndLanguageFilesAreWarnedAboutAtStart) {
  SetPortDeviceResolver([this](const std::string&) { return pty.SlavePath(); });
  folder.WriteFile("Helvanta.ini", std::string("\x01\xff garbage\r\nFrom=25:99:99\r\n", 24));
  folder.WriteFile("Helvanta.lng", "0004=Dienst gestartet.\r\n" + std::string(2 << 20, 'y'));
  service->ServiceStart();
  const std::vector<RecordedEvent> expected{
      {TEventType::etWarning,
       "Could not read language file: " + folder.File("Helvanta.lng") + "!\nUsing English texts."},
      {TEventType::etWarning,
       "The configurationfile holds no [Data Logging] settings: " + folder.File("Helvanta.ini") + "!\nUsing defaults."},
      {TEventType::etInformation, "Service started.\nConnected to Siemens SPN1000."},
  };
  EXPECT_EQ(eventLog.events, expected);
}

TEST_F(ServiceTest, StartAndStopTextsAreTranslatedOnlyInPairs) {
  WriteSettings("");
  struct Case {
    std::string languageFile;
    std::string start;
    std::string stop;
  };
  const std::vector<Case> cases{
      {"0004=Dienst gestartet.\r\n", "Service started.\nConnected to Siemens SPN1000.",
       "Service stopped.\nConnection closed."},
      {"0004=Dienst gestartet.\r\n0002=\r\n0005=Dienst beendet.\r\n0003=Verbindung beendet.\r\n",
       "Service started.\nConnected to Siemens SPN1000.", "Dienst beendet.\nVerbindung beendet."},
      {"0004=Dienst gestartet.\r\n0002=Verbunden mit %s.\r\n0003=Getrennt.\r\n", "Dienst gestartet.\nVerbunden mit %s.",
       "Service stopped.\nConnection closed."},
      {"0006=unused %s\r\n0004=Start\\nzweite Zeile\r\n0002=Verbunden\r\n", "Start\nzweite Zeile\nVerbunden",
       "Service stopped.\nConnection closed."},
  };
  for (const auto& c : cases) {
    folder.WriteFile("Helvanta.lng", c.languageFile);
    eventLog.events.clear();
    service = std::make_unique<THelvantaService>(loop, eventLog);
    service->ServiceStart();
    service->ServiceStop();
    const std::vector<RecordedEvent> expected{{TEventType::etInformation, c.start},
                                              {TEventType::etInformation, c.stop}};
    EXPECT_EQ(eventLog.events, expected) << c.languageFile;
  }
}

TEST_F(ServiceTest, LoggerFailuresBecomeErrorEventsAndPollingGoesOn) {
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=1\r\n");
  folder.WriteFile("Helvanta.lng", "0007=Vorlage fehlt: %s\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  for (DateTime t = At(2026, 12, 7, 12, 0, 1, 5); t <= At(2026, 12, 7, 12, 0, 59, 5); t = AddSeconds(t, 1)) TickAt(t);
  eventLog.events.clear();

  AppSettings.TemplateFile = folder.File("missing.csv");
  TickAt(At(2026, 12, 7, 12, 1, 0, 5));
  AppSettings.TemplateFile = folder.File("Template.csv");
  AppSettings.OutputFolder = folder.File("no such folder");
  // Not logging moments: nothing to report.
  for (DateTime t = At(2026, 12, 7, 12, 1, 1, 5); t <= At(2026, 12, 7, 12, 2, 0, 5); t = AddSeconds(t, 1)) TickAt(t);
  const std::vector<RecordedEvent> expected{
      {TEventType::etError, "Vorlage fehlt: " + folder.File("missing.csv")},
      {TEventType::etError,
       "Could not save data to: " + folder.File("no such folder") + "/261207.csv!\nDisk full or write protected!"},
  };
  EXPECT_EQ(eventLog.events, expected);
  // Each of those ticks still sent its request.
  EXPECT_EQ(service->MeasurandIndex, (59 + 61 - 1) % kMeasurandCount);
}

TEST_F(ServiceTest, ExceptionsInTickAndPacketBecomeErrorEventsAndTheServiceGoesOn) {
  folder.WriteFile("Helvanta.ini", "[Data Logging]\r\nFrom=00:00:00\r\nTill=23:59:59\r\n[Ports]\r\nCOM1=" +
                                       pty.SlavePath() + "\r\nCOM2=" + folder.File("no-such-tty") + "\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  eventLog.events.clear();

  // A connection window that cannot be formed is an error event.
  AppSettings.Till = "later";
  service->Timer1.OnTimer();
  ASSERT_EQ(eventLog.events.size(), 1u);
  EXPECT_EQ(eventLog.events[0].type, TEventType::etError);
  EXPECT_NE(eventLog.events[0].message.find("\"later\""), std::string::npos) << eventLog.events[0].message;

  // The next tick with sound settings works again.
  AppSettings.Till = "23:59:59";
  eventLog.events.clear();
  clock.Set(At(2026, 12, 7, 12, 0, 3, 5));
  service->Timer1.OnTimer();
  EXPECT_TRUE(eventLog.events.empty());
  EXPECT_TRUE(service->ComPort1.Connected());
  EXPECT_EQ(pty.Receive(kTelegramSize).size(), std::size_t{kTelegramSize});
}

TEST_F(ServiceTest, APortThatCannotOpenIsReportedOnceThenHourlyAndTriedWithGrowingGaps) {
  const std::string missing = folder.File("no-such-tty");
  const auto settings = [this](const std::string& device) {
    folder.WriteFile(
        "Helvanta.ini",
        "[Data Logging]\r\nComPort=COM3\r\nFrom=00:00:00\r\nTill=23:59:59\r\n[Ports]\r\nCOM3=" + device + "\r\n");
  };
  settings(missing);
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  ASSERT_NO_THROW(service->ServiceStart());
  EXPECT_TRUE(service->Timer1.Enabled());
  EXPECT_FALSE(service->ComPort1.Connected());
  const std::vector<RecordedEvent> first{
      {TEventType::etError, "No connection to the inverter: Unable to open com port (" + missing +
                                ": No such file or directory, error 2)\nTrying again."}};
  EXPECT_EQ(eventLog.events, first);

  // An hour and a half of ticks: one reminder, nothing else.
  DateTime t = clock.Now();
  for (int second = 0; second < 5400; ++second) TickAt(t = AddSeconds(t, 1));
  ASSERT_EQ(eventLog.events.size(), 2u);
  EXPECT_EQ(eventLog.events[1].message.rfind("Still no connection to the inverter: Unable to open com port (", 0), 0u)
      << eventLog.events[1].message;

  // The adapter comes back: found within a minute, and the recovery is reported.
  settings(pty.SlavePath());
  int waited = 0;
  while (!service->ComPort1.Connected() && waited < 120) {
    TickAt(t = AddSeconds(t, 1));
    ++waited;
  }
  EXPECT_LE(waited, 60);
  ASSERT_EQ(eventLog.events.size(), 3u);
  EXPECT_EQ(eventLog.events[2], (RecordedEvent{TEventType::etInformation,
                                               "Connected to Siemens SPN1000 again on " + pty.SlavePath() + "."}));
}

TEST_F(ServiceTest, ALostLineIsClosedReportedOnceAndReopenedOnTheDeviceNowNamed) {
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  ASSERT_TRUE(service->ComPort1.Connected());
  eventLog.events.clear();

  // The far end hangs up: whether the event thread or the failed write notices first,
  // the port closes and one event names the device.
  const std::string lost = pty.SlavePath();
  pty.CloseMaster();
  DateTime t = clock.Now();
  for (int second = 0; second < 3; ++second) TickAt(t = AddSeconds(t, 1));
  EXPECT_FALSE(service->ComPort1.Connected());
  ASSERT_EQ(eventLog.events.size(), 1u);
  EXPECT_EQ(eventLog.events[0].type, TEventType::etError);
  EXPECT_EQ(eventLog.events[0].message.rfind("No connection to the inverter: ", 0), 0u) << eventLog.events[0].message;
  EXPECT_NE(eventLog.events[0].message.find(lost), std::string::npos) << eventLog.events[0].message;

  // The adapter comes back under another name; the Ports entry now names it.
  PtyPair back;
  folder.WriteFile("Helvanta.ini",
                   "[Data Logging]\r\nFrom=00:00:00\r\nTill=23:59:59\r\n[Ports]\r\nCOM1=" + back.SlavePath() + "\r\n");
  for (int second = 0; second < 10 && !service->ComPort1.Connected(); ++second) TickAt(t = AddSeconds(t, 1));
  ASSERT_TRUE(service->ComPort1.Connected());
  EXPECT_EQ(service->ComPort1.DevicePath(), back.SlavePath());
  ASSERT_EQ(eventLog.events.size(), 2u);
  EXPECT_EQ(eventLog.events[1].type, TEventType::etInformation);
  TickAt(t = AddSeconds(t, 1));
  EXPECT_EQ(back.Receive(kTelegramSize).size(), std::size_t{kTelegramSize});
}

}  // namespace
}  // namespace helvanta::testing
