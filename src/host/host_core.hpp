#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"
#include "history/history_recorder.hpp"
#include "host/error_watch.hpp"
#include "link/answer_router.hpp"
#include "logging/log_marks.hpp"
#include "logging/record_gaps.hpp"
#include "runtime/clock_watch.hpp"
#include "runtime/host_output.hpp"

namespace helvanta {

class TComPort;
class TLanguageList;

// What the start-up found, for the host to show in its own way and order.
struct THostStartReport {
  bool languageTooLarge = false;
  bool settingsFileFound = false;
  TSettingsReport settings;
  std::vector<THostMessage> outputs;  // the outputs' own findings, in their order
};

// What the window and the service do alike, beneath both: the start-up sequence, the
// routing of answers, the logger's marks and gaps, the clock watch, and the outputs fed
// at every tick. Each host keeps its presentation, its port handling and its errors;
// what the core has to tell goes to the host's report function as it happens.
class THostCore {
 public:
  using Report = std::function<void(const THostMessage&)>;

  // The language list and measurand index are the host's own members; line breaks in
  // messages are lineBreak.
  THostCore(TLanguageList& language, std::int32_t& measurandIndex, std::string_view lineBreak, Report report);
  THostCore(const THostCore&) = delete;
  THostCore& operator=(const THostCore&) = delete;

  // Loads the language file and the settings, checks them, starts the outputs and
  // prepares the measurand table.
  THostStartReport Start();
  // Ends the outputs, the last started first.
  void Stop();

  // At the start of a tick: a clock that stepped is reported.
  void NoteClock();
  // The outputs' part of the tick.
  void TickOutputs(const TComPort& port);
  // The logger and the next request, with the port open; the outputs hear of the logger.
  // Errors of the port are raised to the host.
  void RunConnected(TComPort& port);
  // The port has just opened.
  void PortOpened();
  // An answer packet from the framer.
  void Deliver(const std::string& packet) { router_.Deliver(packet); }

  std::string HistoryPath() const { return history_.DatabasePath(); }
  // For runs faster than real time: waits until the history rows handed over are written.
  void WaitHistoryIdle() { history_.WaitIdle(); }

 private:
  void ReportAll(const std::vector<THostMessage>& messages) const;
  void ReportLoggerOutcome(const LogOutcome& outcome);
  void UpdateFigures(const TComPort& port);

  TLanguageList& language_;
  std::int32_t& measurandIndex_;
  std::string lineBreak_;
  Report report_;
  TRecordGaps recordGaps_;
  TAnswerRouter router_;
  TLogMarks marks_;
  TClockWatch clockWatch_;
  THistoryRecorder history_;
  std::vector<std::unique_ptr<THostOutput>> others_;
  // The history first, then the others: started, ticked and told of the logger in this
  // order, stopped in the reverse one.
  std::vector<THostOutput*> outputs_;
  THostFigures figures_;
  TErrorWatch errors_;
  std::uint64_t portOpenings_ = 0;
};

}  // namespace helvanta
