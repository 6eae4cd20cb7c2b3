#include "service/service_messages.hpp"

#include <gtest/gtest.h>
#include <syslog.h>

#include <stdexcept>

#include "config/language.hpp"
#include "serial/ecomport.hpp"
#include "service/guarded_handler.hpp"
#include "service/syslog_event_log.hpp"
#include "support/recording_event_log.hpp"

namespace helvanta::testing {
namespace {

TEST(ServiceMessages, FailureTextsAndSeverities) {
  EXPECT_EQ(ServiceFailedMessage("start", "Unable to open com port (win error code: 2)"),
            "Service failed on start: Unable to open com port (win error code: 2)");
  EXPECT_EQ(ServiceFailedMessage("stop", "x"), "Service failed on stop: x");
  EXPECT_EQ(SyslogPriority(TEventType::etError), LOG_ERR);
  EXPECT_EQ(SyslogPriority(TEventType::etWarning), LOG_WARNING);
  EXPECT_EQ(SyslogPriority(TEventType::etInformation), LOG_INFO);

  TLanguageList list;
  list.LoadFromText("0006=Keine Datei %s\\nStandardwerte.\r\n");
  EXPECT_EQ(SettingsMissingMessage(list).find("Keine Datei "), 0u);
  EXPECT_NE(SettingsMissingMessage(list).find("Helvanta.ini\nStandardwerte."), std::string::npos);
}

TEST(ServiceMessages, AnEscapedExceptionBecomesAnErrorEvent) {
  RecordingEventLog log;
  RunGuarded(log, [] { throw EComPort(kCeWriteFile, 5); });
  RunGuarded(log, [] { throw std::runtime_error("plain failure"); });
  RunGuarded(log, [] { throw 42; });
  bool ran = false;
  RunGuarded(log, [&] { ran = true; });
  EXPECT_TRUE(ran);
  ASSERT_EQ(log.events.size(), 3u);
  EXPECT_EQ(log.events[0], (RecordedEvent{TEventType::etError, EComPort(kCeWriteFile, 5).what()}));
  EXPECT_EQ(log.events[1], (RecordedEvent{TEventType::etError, "plain failure"}));
  EXPECT_EQ(log.events[2], (RecordedEvent{TEventType::etError, "Unknown exception"}));
}

}  // namespace
}  // namespace helvanta::testing
