#pragma once

#include <cstdint>
#include <string>

#include "service/event_log.hpp"

namespace helvanta {

// The Windows event log under the source HelvantaService, opened on the first event and
// kept open; a service started from a console also echoes every event to standard error.
class TWindowsEventLog final : public TEventLog {
 public:
  explicit TWindowsEventLog(bool echoToStderr);
  ~TWindowsEventLog() override;
  TWindowsEventLog(const TWindowsEventLog&) = delete;
  TWindowsEventLog& operator=(const TWindowsEventLog&) = delete;

  void Write(TEventType type, const std::string& message) override;

 private:
  bool echoToStderr_;
  void* source_ = nullptr;  // the event source's HANDLE
};

// The event log's type (EVENTLOG_ERROR_TYPE and so on) of an event type.
std::uint16_t EventLogType(TEventType type);
// The message of the executable's message table for an event type; each one's text is
// its single insertion string, so the event shows the whole message.
std::uint32_t EventMessageId(TEventType type);
// The event log's text: CR LF for every line break.
std::string EventLogText(const std::string& message);

}  // namespace helvanta
