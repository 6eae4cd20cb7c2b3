#include <windows.h>

#include <cstdio>

#include "runtime/wide_text_win32.hpp"
#include "service/syslog_event_log.hpp"
#include "service/windows_event_log.hpp"

namespace helvanta {

std::uint16_t EventLogType(TEventType type) {
  switch (type) {
    case TEventType::etError: return EVENTLOG_ERROR_TYPE;
    case TEventType::etWarning: return EVENTLOG_WARNING_TYPE;
    case TEventType::etInformation: break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

// The ids of packaging/windows/helvanta_messages.mc.
std::uint32_t EventMessageId(TEventType type) {
  switch (type) {
    case TEventType::etError: return 1;
    case TEventType::etWarning: return 2;
    case TEventType::etInformation: break;
  }
  return 3;
}

std::string EventLogText(const std::string& message) {
  std::string text;
  text.reserve(message.size() + 8);
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\n' && (i == 0 || message[i - 1] != '\r')) text += '\r';
    text += message[i];
  }
  return text;
}

TWindowsEventLog::TWindowsEventLog(bool echoToStderr) : echoToStderr_(echoToStderr) {}

TWindowsEventLog::~TWindowsEventLog() {
  if (source_ != nullptr) DeregisterEventSource(source_);
}

void TWindowsEventLog::Write(TEventType type, const std::string& message) {
  if (echoToStderr_) EchoEvent(type, message);
  if (source_ == nullptr) {
    source_ = RegisterEventSourceW(nullptr, WideOf(kServiceName).c_str());
    if (source_ == nullptr) {
      // Standard error is all that is left; a service's goes nowhere, a console's shows it.
      std::fprintf(stderr, "%s: cannot open the event log: %s\n", kServiceName,
                   WindowsErrorText(GetLastError()).c_str());
      return;
    }
  }
  const std::wstring text = WideOf(EventLogText(message));
  const wchar_t* strings[] = {text.c_str()};
  if (!ReportEventW(source_, EventLogType(type), 0, EventMessageId(type), nullptr, 1, 0, strings, nullptr)) {
    std::fprintf(stderr, "%s: cannot write to the event log: %s\n", kServiceName,
                 WindowsErrorText(GetLastError()).c_str());
  }
}

}  // namespace helvanta
