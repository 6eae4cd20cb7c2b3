#pragma once

#include <cstdint>
#include <string>

#include "config/language.hpp"
#include "config/settings.hpp"
#include "history/history_recorder.hpp"
#include "link/answer_router.hpp"
#include "logging/log_marks.hpp"
#include "logging/record_gaps.hpp"
#include "mqtt/mqtt_feed.hpp"
#include "runtime/clock_watch.hpp"
#include "runtime/retry_schedule.hpp"
#include "runtime/main_loop.hpp"
#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"
#include "service/event_log.hpp"
#include "web/web_feed.hpp"

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
  void WaitHistoryIdle() { history_.WaitIdle(); }

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
  void ReportLoggerOutcome(const LogOutcome& outcome);
  void ReportSettings(const TSettingsReport& report);
  // Reports of the history, MQTT and the web page, as events.
  void ReportMessages(const std::vector<THostMessage>& messages);

  TEventLog& eventLog_;
  RetrySchedule reopen_;
  TRecordGaps recordGaps_;
  TAnswerRouter router_;
  TLogMarks marks_;
  TClockWatch clockWatch_;
  THistoryRecorder history_;
  TMqttFeed mqtt_;
  TWebFeed web_;
};

}  // namespace helvanta
