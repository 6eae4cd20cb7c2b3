#pragma once

#include <string>

namespace helvanta {

// A report of a part that runs beside polling (history, MQTT, web page) for the host to
// show: an event of the service, a status message of the window.
struct THostMessage {
  enum class Severity { kError, kWarning, kInformation };
  Severity severity = Severity::kError;
  std::string text;
};

}  // namespace helvanta
