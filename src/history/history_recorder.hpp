#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/history_settings.hpp"
#include "history/history_writer.hpp"
#include "logging/log_marks.hpp"
#include "runtime/clock.hpp"
#include "runtime/host_output.hpp"

namespace helvanta {

class TLanguageList;

// The history's part of the one-second tick, the same for the window and the service:
// at every minute mark at which the logger's presence rule holds, whatever the CSV
// interval, the minute's row goes to the writer thread. When the writer starts, and when
// it writes again after minutes were lost, it adds the minutes of today's and
// yesterday's CSV files that the history lacks.
class THistoryRecorder : public THostOutput {
 public:
  THistoryRecorder();
  ~THistoryRecorder() override;
  THistoryRecorder(const THistoryRecorder&) = delete;
  THistoryRecorder& operator=(const THistoryRecorder&) = delete;

  // Reads [History] (after the host has loaded and validated the other settings) and
  // starts the writer when the history is enabled.
  std::vector<THostMessage> Start(const THostStart& start) override;
  // Finishes the rows handed over and ends the writer.
  void Stop() override;
  // Returns what the writer reports.
  std::vector<THostMessage> Tick(const THostTick& tick) override;
  void AfterLogger(const THostLogged&) override {}

  bool Enabled() const { return settings_.Enabled; }
  // The database the rows go to now (it follows a changed OutputFolder).
  std::string DatabasePath() const { return HistoryDatabasePath(settings_); }
  // For tests: waits until the rows handed over are written.
  void WaitIdle();
  // Minute rows the writer stored since it started.
  std::uint64_t RowsWritten() const { return writer_ ? writer_->RowsWritten() : 0; }

 private:
  THistorySettings settings_;
  std::unique_ptr<THistoryWriter> writer_;
  TLogMarks marks_;
};

// The texts of the writer's events (keys 4040 to 4051, 4082).
THostMessage HistoryEventMessage(const THistoryEvent& event, const TLanguageList& list, std::string_view lineBreak);

// "path: reason (detail)" for a fault.
std::string HistoryFaultText(THistoryFault fault, const std::string& path, const std::string& detail,
                             const TLanguageList& list);

}  // namespace helvanta
