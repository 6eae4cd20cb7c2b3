#include "host/host_core.hpp"

#include <algorithm>
#include <iterator>

#include "config/file_access.hpp"
#include "config/language.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "logging/measurand_presence.hpp"
#include "mqtt/mqtt_feed.hpp"
#include "pvoutput/pvoutput_feed.hpp"
#include "runtime/clock.hpp"
#include "serial/comport.hpp"
#include "web/web_feed.hpp"

namespace helvanta {

namespace {

// Every output beside the history, in the order they start. A new output is one more line here.
std::vector<std::unique_ptr<THostOutput>> OtherOutputs() {
  std::vector<std::unique_ptr<THostOutput>> outputs;
  outputs.push_back(std::make_unique<TWebFeed>());
  outputs.push_back(std::make_unique<TMqttFeed>());
  outputs.push_back(std::make_unique<TPvoutputFeed>());
  return outputs;
}

}  // namespace

THostCore::THostCore(TLanguageList& language, std::int32_t& measurandIndex, std::string_view lineBreak, Report report)
    : language_(language),
      measurandIndex_(measurandIndex),
      lineBreak_(lineBreak),
      report_(std::move(report)),
      others_(OtherOutputs()),
      outputs_{&history_} {
  for (const std::unique_ptr<THostOutput>& output : others_) outputs_.push_back(output.get());
}

THostStartReport THostCore::Start() {
  THostStartReport start;
  start.languageTooLarge = language_.LoadFromFile(LanguageFilePath()) == FileReadStatus::kTooLarge;
  start.settingsFileFound = SettingsFileExists();
  if (start.settingsFileFound) start.settings.file = LoadSettings();
  start.settings.replaced = ValidateSettings();
  start.settings.outputFolderWritable = FolderWritable(AppSettings.OutputFolder);
  for (THostOutput* output : outputs_) {
    std::vector<THostMessage> found = output->Start({language_, lineBreak_, start.settings.replaced});
    start.outputs.insert(start.outputs.end(), std::make_move_iterator(found.begin()),
                         std::make_move_iterator(found.end()));
  }
  measurandIndex_ = -1;
  InitMeasurands();
  return start;
}

void THostCore::Stop() {
  for (auto output = outputs_.rbegin(); output != outputs_.rend(); ++output) (*output)->Stop();
}

void THostCore::NoteClock() {
  if (const std::optional<ClockStep> step = clockWatch_.Note(ProgramClock().Read())) {
    report_({THostMessage::Severity::kInformation, ClockStepMessage(language_, *step, lineBreak_)});
  }
}

void THostCore::TickOutputs(const TComPort& port) {
  UpdateFigures(port);
  if (const std::optional<THostMessage> change =
          errors_.Note(ErrorRegisters(ProgramClock().ElapsedMs()), language_, lineBreak_)) {
    report_(*change);
  }
  const THostTick tick{ProgramClock().Read(), port.Connected(), port.Port(), port.DevicePath(),
                       HistoryPath(),         language_,        lineBreak_,  figures_};
  for (THostOutput* output : outputs_) ReportAll(output->Tick(tick));
}

void THostCore::UpdateFigures(const TComPort& port) {
  const TAnswerRouter::TCounts& line = router_.Counts();
  figures_.answersReceived = line.received;
  figures_.answersMissed = line.missed;
  figures_.damagedWords = line.damaged;
  figures_.marksSkipped = recordGaps_.Skipped();
  figures_.reconnects = portOpenings_ > 0 ? portOpenings_ - 1 : 0;
  figures_.historyRowsWritten = history_.RowsWritten();
  const std::int64_t nowMs = ProgramClock().ElapsedMs();
  figures_.lineUp = port.Connected() && std::any_of(Measurands.begin(), Measurands.begin() + kMeasurandCount,
                                                    [nowMs](const TMeasurand& m) { return IsPresent(m, nowMs); });
  figures_.links.clear();
  for (const THostOutput* output : outputs_) {
    if (std::optional<TOutputLink> link = output->Link()) figures_.links.push_back(std::move(*link));
  }
}

void THostCore::RunConnected(TComPort& port) {
  RunConnectedSteps(port, measurandIndex_, router_, marks_, [this](const LogOutcome& outcome) {
    ReportLoggerOutcome(outcome);
    if (outcome.Written()) ++figures_.recordsWritten;
    const THostLogged logged{outcome.Written(), measurandIndex_, ProgramClock().Now()};
    for (THostOutput* output : outputs_) output->AfterLogger(logged);
  });
}

void THostCore::PortOpened() {
  ++portOpenings_;
  recordGaps_.PortOpened(ProgramClock().ElapsedMs());
  router_.Reset();
}

void THostCore::ReportAll(const std::vector<THostMessage>& messages) const {
  for (const THostMessage& message : messages) report_(message);
}

void THostCore::ReportLoggerOutcome(const LogOutcome& outcome) {
  if (outcome.result != kLogNothingToReport) {
    report_(
        {THostMessage::Severity::kError, LoggerMessage(language_, outcome.result, lineBreak_, ProgramClock().Now())});
  }
  const TRecordGaps::Report gap = recordGaps_.Note(outcome, ProgramClock().ElapsedMs(), language_, lineBreak_);
  if (gap.kind == TRecordGaps::Kind::kSkipped) report_({THostMessage::Severity::kWarning, gap.message});
  if (gap.kind == TRecordGaps::Kind::kResumed) report_({THostMessage::Severity::kInformation, gap.message});
}

}  // namespace helvanta
