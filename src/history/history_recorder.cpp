#include "history/history_recorder.hpp"

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "history/history_values.hpp"
#include "logging/measurand_presence.hpp"

namespace helvanta {

namespace {

std::string_view FaultKey(THistoryFault fault) {
  switch (fault) {
    case THistoryFault::kReadOnly: return text_key::kHistoryWriteProtected;
    case THistoryFault::kLocked: return text_key::kHistoryLocked;
    case THistoryFault::kFull: return text_key::kHistoryDiskFull;
    case THistoryFault::kDamaged: return text_key::kHistoryNotMovedAside;
    case THistoryFault::kCannotOpen: return text_key::kHistoryNotOpened;
    case THistoryFault::kNewerSchema: return text_key::kHistoryNewerVersion;
    case THistoryFault::kNone:
    case THistoryFault::kOther: break;
  }
  return text_key::kHistoryDatabaseError;
}

}  // namespace

std::string HistoryFaultText(THistoryFault fault, const std::string& path, const std::string& detail,
                             const TLanguageList& list) {
  std::string text = path + ": " + ComposeKeyMessage(list, FaultKey(fault), "", " ");
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

THostMessage HistoryEventMessage(const THistoryEvent& event, const TLanguageList& list, std::string_view lineBreak) {
  using Kind = THistoryEvent::Kind;
  using Severity = THostMessage::Severity;
  switch (event.kind) {
    case Kind::kFailed:
      return {Severity::kError,
              ComposeKeyMessage(list, text_key::kHistoryNotWritten,
                                HistoryFaultText(event.fault, event.path, event.detail, list), lineBreak)};
    case Kind::kStillFailing:
      return {Severity::kError,
              ComposeKeyMessage(list, text_key::kHistoryStillNotWritten,
                                HistoryFaultText(event.fault, event.path, event.detail, list), lineBreak)};
    case Kind::kRecovered:
      return {Severity::kInformation,
              ComposeKeyMessage(list, text_key::kHistoryWrittenAgain, std::to_string(event.minutes), lineBreak)};
    case Kind::kMovedAside:
      return {Severity::kWarning, ComposeKeyMessage(list, text_key::kHistoryMovedAside, event.movedTo, lineBreak)};
    case Kind::kFilled:
      return {Severity::kInformation,
              ComposeKeyMessage(list, text_key::kHistoryFilledFromCsv, std::to_string(event.minutes), lineBreak)};
    case Kind::kDropped: break;
  }
  return {Severity::kWarning,
          ComposeKeyMessage(list, text_key::kHistoryRowsDropped, std::to_string(event.minutes), lineBreak)};
}

THistoryRecorder::THistoryRecorder() = default;

THistoryRecorder::~THistoryRecorder() = default;

std::vector<THostMessage> THistoryRecorder::Start(const THostStart& start) {
  settings_ = LoadHistorySettings(start.replaced);
  writer_.reset();
  if (!settings_.Enabled) return {};
  writer_ = std::make_unique<THistoryWriter>(settings_.KeepDays);
  // A record written just before the program ended (a power cut a moment after a mark)
  // may have no row yet.
  const ClockReading now = ProgramClock().Read();
  writer_->Fill(DatabasePath(), CsvSourceAt(now), now.utcMs);
  return {};
}

void THistoryRecorder::Stop() { writer_.reset(); }

void THistoryRecorder::WaitIdle() {
  if (writer_) writer_->WaitIdle();
}

std::vector<THostMessage> THistoryRecorder::Tick(const THostTick& tick) {
  const ClockReading& now = tick.reading;
  std::vector<THostMessage> messages;
  if (!writer_) return messages;
  // Every minute is a mark of the history, whatever the CSV interval.
  const std::optional<ClockReading> mark = marks_.Due(now, 1);
  if (tick.portOpen && mark && MissingMeasurands(now.elapsedMs).empty()) {
    // A full hand-over is counted by the writer and reported once it writes again.
    writer_->Offer(DatabasePath(), RowFromMeasurands(*mark));
  }
  for (const THistoryEvent& event : writer_->TakeEvents()) {
    // The minutes lost meanwhile may be in the CSV files. A recovery that lost none
    // follows a fill that failed by itself, which is not tried again at every minute.
    if (event.kind == THistoryEvent::Kind::kRecovered && event.minutes > 0) {
      writer_->Fill(DatabasePath(), CsvSourceAt(now), now.utcMs);
    }
    messages.push_back(HistoryEventMessage(event, tick.language, tick.lineBreak));
  }
  return messages;
}

}  // namespace helvanta
