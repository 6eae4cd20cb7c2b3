#pragma once

#include <string>

namespace helvanta {

enum class TEventType { etError, etWarning, etInformation };

// Where the service writes its messages; syslog in the program, a recording sink in tests.
class TEventLog {
 public:
  virtual ~TEventLog() = default;
  virtual void Write(TEventType type, const std::string& message) = 0;
};

// Writes an event to standard error as a service started by hand shows it:
// "HelvantaService: Warning: <message>".
void EchoEvent(TEventType type, const std::string& message);

}  // namespace helvanta
