#include <gtest/gtest.h>

#include "runtime/wide_text_win32.hpp"
#include "service/service_installer_win32.hpp"
#include "service/service_status_win32.hpp"
#include "service/windows_event_log.hpp"

namespace helvanta::testing {
namespace {

TEST(ServiceWin32, TheControlManagerStartsTheQuotedExecutableInServiceMode) {
  EXPECT_EQ(ServiceCommandLine("C:\\Program Files\\Helvanta\\helvanta.exe"),
            "\"C:\\Program Files\\Helvanta\\helvanta.exe\" -service");
}

TEST(ServiceWin32, EventTypesMapToTheirLogTypeAndMessage) {
  EXPECT_EQ(EventLogType(TEventType::etError), EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(EventLogType(TEventType::etWarning), EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(EventLogType(TEventType::etInformation), EVENTLOG_INFORMATION_TYPE);
  // The ids of the message table compiled into the executable.
  EXPECT_EQ(EventMessageId(TEventType::etError), 1u);
  EXPECT_EQ(EventMessageId(TEventType::etWarning), 2u);
  EXPECT_EQ(EventMessageId(TEventType::etInformation), 3u);
}

TEST(ServiceWin32, EventTextsBreakLinesWithCrLf) {
  EXPECT_EQ(EventLogText("Service started.\nConnected to Siemens SPN1000."),
            "Service started.\r\nConnected to Siemens SPN1000.");
  EXPECT_EQ(EventLogText("a\r\nb\n"), "a\r\nb\r\n");
}

TEST(ServiceWin32, StatusAcceptsStopAndShutdownOnlyOnceStarted) {
  const SERVICE_STATUS starting = ServiceStatusFor(SERVICE_START_PENDING, 2, false);
  EXPECT_EQ(starting.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(starting.dwControlsAccepted, 0u);
  EXPECT_EQ(starting.dwWaitHint, 5000u);
  EXPECT_EQ(starting.dwCheckPoint, 2u);

  const SERVICE_STATUS running = ServiceStatusFor(SERVICE_RUNNING, 3, false);
  EXPECT_EQ(running.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));
  EXPECT_EQ(running.dwWaitHint, 0u);
  EXPECT_EQ(running.dwCheckPoint, 0u);

  EXPECT_EQ(ServiceStatusFor(SERVICE_STOP_PENDING, 1, false).dwWaitHint, 5000u);
  const SERVICE_STATUS failed = ServiceStatusFor(SERVICE_STOPPED, 1, true);
  EXPECT_EQ(failed.dwControlsAccepted, 0u);
  EXPECT_EQ(failed.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
  EXPECT_EQ(failed.dwServiceSpecificExitCode, 1u);
  EXPECT_EQ(ServiceStatusFor(SERVICE_STOPPED, 1, false).dwWin32ExitCode, 0u);
}

TEST(ServiceWin32, TextsCrossTheWideSeamUnchanged) {
  const std::string text = "Z\xC3\xA4hler \xE2\x82\xAC";  // "Zähler €"
  EXPECT_EQ(WideOf(text), L"Z\u00E4hler \u20AC");
  EXPECT_EQ(Utf8Of(WideOf(text)), text);
  EXPECT_EQ(WideOf(""), L"");
}

TEST(ServiceWin32, ErrorTextsEndInTheirCode) {
  const std::string text = WindowsErrorText(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(text.ends_with(" (win error code: 5)")) << text;
  EXPECT_GT(text.size(), std::string(" (win error code: 5)").size());
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace helvanta::testing
