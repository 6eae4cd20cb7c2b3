#pragma once

#include "runtime/host_message.hpp"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/history_settings.hpp"
#include "history/history_writer.hpp"
#include "logging/log_marks.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

class TLanguageList;

// A message of the history for the host: the service's event log or the window's status bar.
using THistoryMessage = THostMessage;

// The history's part of the one-second tick, the same for the window and the service:
// at every minute mark at which the logger's presence rule holds, whatever the CSV
// interval, the minute's row goes to the writer thread. When the writer starts, and when
// it writes again after minutes were lost, it adds the minutes of today's and
// yesterday's CSV files that the history lacks.
class THistoryRecorder {
 public:
  THistoryRecorder();
  ~THistoryRecorder();
  THistoryRecorder(const THistoryRecorder&) = delete;
  THistoryRecorder& operator=(const THistoryRecorder&) = delete;

  // Reads [History] (after the host has loaded and validated the other settings) and
  // starts the writer when the history is enabled; values replaced by their defaults go
  // to replaced.
  void Start(std::vector<TReplacedSetting>& replaced);
  // Finishes the rows handed over and ends the writer.
  void Stop();

  // Called once per tick, with the port's state; returns what the writer reports.
  std::vector<THistoryMessage> Tick(const ClockReading& now, bool portOpen, const TLanguageList& list,
                                    std::string_view lineBreak);

  bool Enabled() const { return settings_.Enabled; }
  // The database the rows go to now (it follows a changed OutputFolder).
  std::string DatabasePath() const { return HistoryDatabasePath(settings_); }
  // For tests: waits until the rows handed over are written.
  void WaitIdle();

 private:
  THistorySettings settings_;
  std::unique_ptr<THistoryWriter> writer_;
  TLogMarks marks_;
};

// The texts of the writer's events (keys 4040 to 4051, 4082).
THistoryMessage HistoryEventMessage(const THistoryEvent& event, const TLanguageList& list, std::string_view lineBreak);

// "path: reason (detail)" for a fault.
std::string HistoryFaultText(THistoryFault fault, const std::string& path, const std::string& detail,
                             const TLanguageList& list);

}  // namespace helvanta
