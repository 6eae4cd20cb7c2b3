#include "service/helvanta_service.hpp"

#include "config/file_access.hpp"
#include "config/settings.hpp"
#include "config/text_keys.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/clock.hpp"
#include "serial/ecomport.hpp"
#include "service/guarded_handler.hpp"
#include "service/service_messages.hpp"

namespace helvanta {

THelvantaService::THelvantaService(MainLoop& loop, TEventLog& eventLog)
    : Timer1(loop),
      eventLog_(eventLog),
      core_(LanguageList, MeasurandIndex, kEventLineBreak, [this](const THostMessage& message) { Report(message); }) {
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
  ReportStart(core_.Start());
  ComDataPacket1.SetStartString(std::string(1, STX));
  const bool opened = TryOpenPort();
  Timer1.SetEnabled(true);
  if (opened) eventLog_.Write(TEventType::etInformation, StartMessage(LanguageList));
}

void THelvantaService::ServiceStop() {
  Timer1.SetEnabled(false);
  ComPort1.Close();
  core_.Stop();
  eventLog_.Write(TEventType::etInformation, StopMessage(LanguageList));
}

void THelvantaService::Timer1Timer() {
  core_.NoteClock();
  const ConnectionWindow window = ComputeConnectionWindow(ProgramClock().Now());
  if (AutoConnectDue(ComPort1.Connected(), ProgramClock().Now(), window, true) &&
      reopen_.Due(ProgramClock().ElapsedMs())) {
    const bool recovering = reopen_.Failing();
    if (TryOpenPort() && recovering) {
      eventLog_.Write(TEventType::etInformation, ComposeKeyMessage(LanguageList, text_key::kPortOpenedAgain,
                                                                   ComPort1.DevicePath(), kEventLineBreak));
    }
  }
  if (AutoDisconnectDue(ComPort1.Connected(), ProgramClock().Now(), window)) ComPort1.Close();
  core_.TickOutputs(ComPort1);
  if (!ComPort1.Connected()) return;
  if (ComPort1.LineHungUp()) {
    LoseLine(HangUpMessage(LanguageList, ComPort1, kEventLineBreak));
    return;
  }
  try {
    core_.RunConnected(ComPort1);
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
  core_.PortOpened();
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
      eventLog_.Write(TEventType::etError,
                      ComposeKeyMessage(LanguageList, text_key::kPortNotOpened, reason, kEventLineBreak));
      break;
    case FailureReport::kReminder:
      eventLog_.Write(TEventType::etError,
                      ComposeKeyMessage(LanguageList, text_key::kPortStillNotOpened, reason, kEventLineBreak));
      break;
    case FailureReport::kNone: break;
  }
}

void THelvantaService::ReportStart(const THostStartReport& start) {
  if (start.languageTooLarge) {
    eventLog_.Write(TEventType::etWarning, ComposeKeyMessage(LanguageList, text_key::kLanguageFileUnreadable,
                                                             LanguageFilePath(), kEventLineBreak));
  }
  if (!start.settingsFileFound) eventLog_.Write(TEventType::etWarning, SettingsMissingMessage(LanguageList));
  for (const std::string& message : SettingsReportMessages(LanguageList, start.settings, kEventLineBreak)) {
    eventLog_.Write(TEventType::etWarning, message);
  }
  for (const THostMessage& message : start.outputs) Report(message);
}

void THelvantaService::Report(const THostMessage& message) {
  switch (message.severity) {
    case THostMessage::Severity::kError: eventLog_.Write(TEventType::etError, message.text); break;
    case THostMessage::Severity::kWarning: eventLog_.Write(TEventType::etWarning, message.text); break;
    case THostMessage::Severity::kInformation: eventLog_.Write(TEventType::etInformation, message.text); break;
  }
}

void THelvantaService::ComDataPacket1Packet(const std::string& packet) { core_.Deliver(packet); }

}  // namespace helvanta
