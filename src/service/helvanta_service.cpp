#include "service/helvanta_service.hpp"

#include "config/settings.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/clock.hpp"
#include "service/guarded_handler.hpp"
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
  LanguageList.LoadFromFile(LanguageFilePath());
  if (SettingsFileExists()) {
    LoadSettings();
  } else {
    eventLog_.Write(TEventType::etWarning, SettingsMissingMessage(LanguageList));
  }
  ValidateSettings();
  MeasurandIndex = -1;
  InitMeasurands();
  ComDataPacket1.SetStartString(std::string(1, STX));
  ConnectPort(ComPort1);
  Timer1.SetEnabled(true);
  eventLog_.Write(TEventType::etInformation, StartMessage(LanguageList));
}

void THelvantaService::ServiceStop() {
  Timer1.SetEnabled(false);
  ComPort1.Close();
  eventLog_.Write(TEventType::etInformation, StopMessage(LanguageList));
}

void THelvantaService::Timer1Timer() {
  const ConnectionWindow window = ComputeConnectionWindow(ProgramClock().Now());
  if (AutoConnectDue(ComPort1.Connected(), ProgramClock().Now(), window, true)) ComPort1.Open();
  if (AutoDisconnectDue(ComPort1.Connected(), ProgramClock().Now(), window)) ComPort1.Close();
  if (!ComPort1.Connected()) return;
  RunConnectedSteps(
      ComPort1, MeasurandIndex,
      [this](int result) {
        eventLog_.Write(TEventType::etError, LoggerMessage(LanguageList, result, kEventLineBreak, ProgramClock().Now()));
      },
      [this](const std::string& packet) { ComDataPacket1Packet(packet); });
}

void THelvantaService::ComDataPacket1Packet(const std::string& packet) { DecodeAnswer(packet, MeasurandIndex); }

}  // namespace helvanta
