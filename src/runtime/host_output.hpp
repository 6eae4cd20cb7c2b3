#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/clock.hpp"
#include "runtime/host_figures.hpp"
#include "runtime/host_message.hpp"

namespace helvanta {

class TLanguageList;
struct TReplacedSetting;

// What an output is given when the host starts, after the settings are loaded and checked.
struct THostStart {
  const TLanguageList& language;
  std::string_view lineBreak;
  std::vector<TReplacedSetting>& replaced;  // its section's values replaced by defaults
};

// What an output is told once a tick, on the main thread.
struct THostTick {
  ClockReading reading;
  bool portOpen = false;
  std::string port;         // the port's name ("COM1")
  std::string device;       // its device file
  std::string historyPath;  // the history database
  const TLanguageList& language;
  std::string_view lineBreak;
  const THostFigures& figures;
};

// What the logger did at a tick with the port open.
struct THostLogged {
  bool recordWritten = false;
  std::int32_t measurandIndex = -1;
  DateTime now;
};

// A part that runs beside polling (history, web page, MQTT, …), fed by the host core the
// same way in the window and the service. Its reports go to the host as messages.
class THostOutput {
 public:
  virtual ~THostOutput() = default;
  // Reads the output's section and starts what it needs; returns its findings.
  virtual std::vector<THostMessage> Start(const THostStart& start) = 0;
  virtual void Stop() = 0;
  virtual std::vector<THostMessage> Tick(const THostTick& tick) = 0;
  virtual void AfterLogger(const THostLogged& logged) = 0;
  // The output's connection to a service elsewhere, for the metrics; nothing for an
  // output without one or while it is off.
  virtual std::optional<TOutputLink> Link() const { return std::nullopt; }
};

}  // namespace helvanta
