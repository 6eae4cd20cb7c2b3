#include <syslog.h>

#include "service/syslog_event_log.hpp"

namespace helvanta {

int SyslogPriority(TEventType type) {
  switch (type) {
    case TEventType::etError: return LOG_ERR;
    case TEventType::etWarning: return LOG_WARNING;
    case TEventType::etInformation: break;
  }
  return LOG_INFO;
}

TSyslogEventLog::TSyslogEventLog(bool echoToStderr) : echoToStderr_(echoToStderr) {
  openlog(kServiceName, LOG_PID, LOG_DAEMON);
}

TSyslogEventLog::~TSyslogEventLog() { closelog(); }

void TSyslogEventLog::Write(TEventType type, const std::string& message) {
  // The message is data, never a format.
  syslog(SyslogPriority(type), "%s", message.c_str());
  if (echoToStderr_) EchoEvent(type, message);
}

}  // namespace helvanta
