#pragma once

#include <cstdint>
#include <string>

#include "config/language.hpp"
#include "config/settings.hpp"
#include "host/host_core.hpp"
#include "runtime/main_loop.hpp"
#include "runtime/retry_schedule.hpp"
#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"
#include "service/event_log.hpp"

namespace helvanta {

// The service module: polls the inverter and logs without a window, and reports to the
// event log what the window would show in its status bar.
class THelvantaService {
 public:
  THelvantaService(MainLoop& loop, TEventLog& eventLog);
  ~THelvantaService();
  THelvantaService(const THelvantaService&) = delete;
  THelvantaService& operator=(const THelvantaService&) = delete;

  // Prepares the shared state, opens the port whatever the time of day, enables the
  // timer and writes the start event. A port that cannot be opened is reported and
  // tried again inside the connection window, with growing gaps.
  void ServiceStart();
  // Disables the timer, closes the port and writes the stop event.
  void ServiceStop();
  // The one-second tick.
  void Timer1Timer();
  // An answer packet from the framer.
  void ComDataPacket1Packet(const std::string& packet);
  // For runs faster than real time: waits until the history rows handed over are written.
  void WaitHistoryIdle() { core_.WaitHistoryIdle(); }

  TComPort ComPort1;
  TComDataPacket ComDataPacket1;
  SecondTimer Timer1;
  TLanguageList LanguageList;
  std::int32_t MeasurandIndex = -1;

 private:
  // Opens the port; true when it opened. A failure is reported once, then reminded hourly.
  bool TryOpenPort();
  // The line is gone: the port is closed and opened again later.
  void LoseLine(const std::string& reason);
  void ReportOpenFailure(const std::string& reason);
  void ReportStart(const THostStartReport& start);
  // A report of the core, as an event.
  void Report(const THostMessage& message);

  TEventLog& eventLog_;
  RetrySchedule reopen_;
  THostCore core_;
};

}  // namespace helvanta
