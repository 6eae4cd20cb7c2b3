#pragma once

#include <string>
#include <vector>

#include "service/event_log.hpp"

namespace helvanta::testing {

struct RecordedEvent {
  TEventType type;
  std::string message;
  bool operator==(const RecordedEvent&) const = default;
};

// Keeps every event, in order, for the test to read.
class RecordingEventLog final : public TEventLog {
 public:
  void Write(TEventType type, const std::string& message) override { events.push_back({type, message}); }
  std::vector<RecordedEvent> events;
};

}  // namespace helvanta::testing
