#include <cstdio>

#include "service/event_log.hpp"
#include "service/syslog_event_log.hpp"

namespace helvanta {

namespace {

const char* TypeName(TEventType type) {
  switch (type) {
    case TEventType::etError: return "Error";
    case TEventType::etWarning: return "Warning";
    case TEventType::etInformation: break;
  }
  return "Information";
}

}  // namespace

void EchoEvent(TEventType type, const std::string& message) {
  std::fprintf(stderr, "%s: %s: %s\n", kServiceName, TypeName(type), message.c_str());
}

}  // namespace helvanta
