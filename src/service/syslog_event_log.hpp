#pragma once

#include <string>

#include "service/event_log.hpp"

namespace helvanta {

inline constexpr const char* kServiceName = "HelvantaService";

// The system log (journald) under the identifier HelvantaService; a service started by
// hand also echoes every event to standard error.
class TSyslogEventLog final : public TEventLog {
 public:
  explicit TSyslogEventLog(bool echoToStderr);
  ~TSyslogEventLog() override;
  TSyslogEventLog(const TSyslogEventLog&) = delete;
  TSyslogEventLog& operator=(const TSyslogEventLog&) = delete;

  void Write(TEventType type, const std::string& message) override;

 private:
  bool echoToStderr_;
};

// The severity of an event type in the system log.
int SyslogPriority(TEventType type);

}  // namespace helvanta
