#include "service/helvanta_service.hpp"

#include "config/file_access.hpp"
#include "config/settings.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/clock.hpp"
#include "service/guarded_handler.hpp"
#include "serial/ecomport.hpp"
#include "service/service_messages.hpp"

namespace helvanta {

THelvantaService::THelvantaService(MainLoop& loop, TEventLog& eventLog) : Timer1(loop), eventLog_(eventLog) {
  ConfigureInverterPort(ComPort1);
  ComDataPacket1.SetComPort(&ComPort1);
  ComDataPacket1.SetSize(kTelegramSize);
  ComDataPacket1.OnPacket = [this](TComDataPacket*, const std::string& packet) {
    RunGuarded(eventLog_, [&] { ComDataPacket1Packet(packet); });
  };
  Timer1.OnTimer = [this] { RunGuarded(eventLog_, [this] { Timer1Timer(); }); };
}

THelvantaService::~THelvantaService() {
  Timer1.SetEnabled(false);
  ComDataPacket1.SetComPort(nullptr);
}

void THelvantaService::ServiceStart() {
  if (LanguageList.LoadFromFile(LanguageFilePath()) == FileReadStatus::kTooLarge) {
    eventLog_.Write(TEventType::etWarning, ComposeKeyMessage(LanguageList, "4009", LanguageFilePath(), kEventLineBreak));
  }
  TSettingsReport settings;
  if (SettingsFileExists()) {
    settings.file = LoadSettings();
  } else {
    eventLog_.Write(TEventType::etWarning, SettingsMissingMessage(LanguageList));
  }
  settings.replaced = ValidateSettings();
  settings.outputFolderWritable = FolderWritable(AppSettings.OutputFolder);
  history_.Start(settings.replaced);
  web_.Start(settings.replaced);
  ReportSettings(settings);
  ReportMessages(mqtt_.Start(LanguageList, kEventLineBreak));
  MeasurandIndex = -1;
  InitMeasurands();
  ComDataPacket1.SetStartString(std::string(1, STX));
  const bool opened = TryOpenPort();
  Timer1.SetEnabled(true);
  if (opened) eventLog_.Write(TEventType::etInformation, StartMessage(LanguageList));
}

void THelvantaService::ServiceStop() {
  Timer1.SetEnabled(false);
  ComPort1.Close();
  mqtt_.Stop();
  web_.Stop();
  history_.Stop();
  eventLog_.Write(TEventType::etInformation, StopMessage(LanguageList));
}

void THelvantaService::Timer1Timer() {
  if (const std::optional<ClockStep> step = clockWatch_.Note(ProgramClock().Read())) {
    eventLog_.Write(TEventType::etInformation, ClockStepMessage(LanguageList, *step, kEventLineBreak));
  }
  ReportMessages(mqtt_.TakeMessages(LanguageList, kEventLineBreak));
  const ConnectionWindow window = ComputeConnectionWindow(ProgramClock().Now());
  if (AutoConnectDue(ComPort1.Connected(), ProgramClock().Now(), window, true) &&
      reopen_.Due(ProgramClock().ElapsedMs())) {
    const bool recovering = reopen_.Failing();
    if (TryOpenPort() && recovering) {
      eventLog_.Write(TEventType::etInformation,
                      ComposeKeyMessage(LanguageList, "4003", ComPort1.DevicePath(), kEventLineBreak));
    }
  }
  if (AutoDisconnectDue(ComPort1.Connected(), ProgramClock().Now(), window)) ComPort1.Close();
  ReportMessages(history_.Tick(ProgramClock().Read(), ComPort1.Connected(), LanguageList, kEventLineBreak));
  ReportMessages(web_.Tick(ProgramClock().Read(),
                      {ComPort1.Connected(), ComPort1.Port(), ComPort1.DevicePath(), history_.DatabasePath()},
                      LanguageList, kEventLineBreak));
  if (!ComPort1.Connected()) return;
  if (ComPort1.LineHungUp()) {
    LoseLine(HangUpMessage(LanguageList, ComPort1, kEventLineBreak));
    return;
  }
  try {
    RunConnectedSteps(ComPort1, MeasurandIndex, router_, marks_, [this](const LogOutcome& outcome) {
      ReportLoggerOutcome(outcome);
      mqtt_.AfterLogger(outcome.Written(), MeasurandIndex);
      web_.AfterLogger(outcome.Written(), ProgramClock().Now());
    });
  } catch (const std::exception& error) {
    if (!IsLostLine(error)) throw;
    LoseLine(error.what());
  }
}

bool THelvantaService::TryOpenPort() {
  try {
    ConnectPort(ComPort1);
  } catch (const EComPort& error) {
    ReportOpenFailure(error.what());
    return false;
  }
  recordGaps_.PortOpened(ProgramClock().ElapsedMs());
  router_.Reset();
  reopen_.Succeeded();
  return true;
}

void THelvantaService::LoseLine(const std::string& reason) {
  ComPort1.Close();
  ReportOpenFailure(reason);
}

void THelvantaService::ReportOpenFailure(const std::string& reason) {
  switch (reopen_.Failed(ProgramClock().ElapsedMs())) {
    case FailureReport::kFirst:
      eventLog_.Write(TEventType::etError, ComposeKeyMessage(LanguageList, "4001", reason, kEventLineBreak));
      break;
    case FailureReport::kReminder:
      eventLog_.Write(TEventType::etError, ComposeKeyMessage(LanguageList, "4002", reason, kEventLineBreak));
      break;
    case FailureReport::kNone:
      break;
  }
}

void THelvantaService::ReportLoggerOutcome(const LogOutcome& outcome) {
  if (outcome.result != kLogNothingToReport) {
    eventLog_.Write(TEventType::etError,
                    LoggerMessage(LanguageList, outcome.result, kEventLineBreak, ProgramClock().Now()));
  }
  const TRecordGaps::Report gap =
      recordGaps_.Note(outcome, ProgramClock().ElapsedMs(), LanguageList, kEventLineBreak);
  if (gap.kind == TRecordGaps::Kind::kSkipped) eventLog_.Write(TEventType::etWarning, gap.message);
  if (gap.kind == TRecordGaps::Kind::kResumed) eventLog_.Write(TEventType::etInformation, gap.message);
}

void THelvantaService::ReportSettings(const TSettingsReport& report) {
  for (const std::string& message : SettingsReportMessages(LanguageList, report, kEventLineBreak)) {
    eventLog_.Write(TEventType::etWarning, message);
  }
}

void THelvantaService::ReportMessages(const std::vector<THostMessage>& messages) {
  for (const THostMessage& message : messages) {
    switch (message.severity) {
      case THostMessage::Severity::kError:
        eventLog_.Write(TEventType::etError, message.text);
        break;
      case THostMessage::Severity::kWarning:
        eventLog_.Write(TEventType::etWarning, message.text);
        break;
      case THostMessage::Severity::kInformation:
        eventLog_.Write(TEventType::etInformation, message.text);
        break;
    }
  }
}

void THelvantaService::ComDataPacket1Packet(const std::string& packet) { router_.Deliver(packet); }

}  // namespace helvanta
