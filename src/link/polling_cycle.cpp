#include "link/polling_cycle.hpp"

#include "config/language.hpp"
#include "config/settings.hpp"
#include "config/text_keys.hpp"
#include "config/time_of_day.hpp"
#include "link/answer_router.hpp"
#include "link/codec.hpp"
#include "logging/log_marks.hpp"
#include "logging/log_record.hpp"
#include "runtime/clock.hpp"
#include "runtime/clock_watch.hpp"
#include "serial/comport.hpp"
#include "serial/ecomport.hpp"

namespace helvanta {

namespace {

DateTime AtTimeOfDay(const DateTime& day, std::string_view text, std::string_view settingName) {
  const auto time = ParseTimeOfDay(text);
  if (!time) {
    throw ETimeOfDay("The setting " + std::string(settingName) + " is not a time of day (hh:nn:ss): \"" +
                     std::string(text) + "\"");
  }
  DateTime t;
  t.year = day.year;
  t.month = day.month;
  t.day = day.day;
  t.hour = time->hour;
  t.minute = time->minute;
  t.second = time->second;
  return t;
}

}  // namespace

ConnectionWindow ComputeConnectionWindow(const DateTime& now) {
  return ComputeConnectionWindow(now, AppSettings.From, AppSettings.Till);
}

ConnectionWindow ComputeConnectionWindow(const DateTime& now, std::string_view from, std::string_view till) {
  return {AtTimeOfDay(now, from, "From"), AtTimeOfDay(now, till, "Till")};
}

bool AutoConnectDue(bool open, const DateTime& now, const ConnectionWindow& window, bool serviceMode) {
  return !open && now > window.start && now < window.end && serviceMode;
}

bool AutoDisconnectDue(bool open, const DateTime& now, const ConnectionWindow& window) {
  return open && now > window.end;
}

void ConfigureInverterPort(TComPort& port) {
  port.SetBaudRate(TBaudRate::br1200);
  port.SetDataBits(TDataBits::dbEight);
  port.Parity().SetBits(TParityBits::prEven);
  port.Parity().SetCheck(false);
  port.SetStopBits(TStopBits::sbOneStopBit);
  port.FlowControl().SetFlowControl(TFlowControl::fcNone);
  port.FlowControl().SetOutDSRFlow(false);
  port.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable);
}

void ConnectPort(TComPort& port) {
  port.SetPort(AppSettings.ComPort);
  port.Open();
}

LogOutcome RunLoggerStep(TLogMarks& marks) {
  const std::optional<ClockReading> mark = marks.Due(ProgramClock().Read(), AppSettings.RequestInterval);
  return mark ? WriteMarkRecord(mark->Local()) : LogOutcome{};
}

std::string LoggerMessage(const TLanguageList& list, int result, std::string_view lineBreak, const DateTime& now) {
  switch (result) {
    case kLogTemplateUnreadable:
      return ComposeKeyMessage(list, text_key::kTemplateUnreadable, AppSettings.TemplateFile, lineBreak);
    case kLogFileNotWritable: return ComposeKeyMessage(list, text_key::kLogNotSaved, DailyLogFilePath(now), lineBreak);
    default: return {};
  }
}

void SendRequest(TComPort& port, std::int32_t& MeasurandIndex) { port.WriteStr(BuildRequest(MeasurandIndex)); }

bool DeliverPseudoAnswer(const std::function<void(const std::string& packet)>& packetHandler) {
  if (!AppSettings.ReceivePseudoData) return false;
  packetHandler(std::string(PseudoAnswer));
  return true;
}

void RunConnectedSteps(TComPort& port, std::int32_t& MeasurandIndex, TAnswerRouter& router, TLogMarks& marks,
                       const std::function<void(const LogOutcome& outcome)>& onLoggerOutcome) {
  onLoggerOutcome(RunLoggerStep(marks));
  const std::string telegram = BuildRequest(MeasurandIndex);
  router.Requested(MeasurandIndex);
  port.WriteStr(telegram);
  DeliverPseudoAnswer([&](const std::string& packet) { DecodeAnswer(packet, MeasurandIndex); });
}

bool IsLostLine(const std::exception& error) {
  const auto* port = dynamic_cast<const EComPort*>(&error);
  return port != nullptr && port->Number() == kCeWriteFile;
}

std::string HangUpMessage(const TLanguageList& list, const TComPort& port, std::string_view lineBreak) {
  return ComposeKeyMessage(list, text_key::kLineHungUp, port.DevicePath(), lineBreak);
}

}  // namespace helvanta

namespace helvanta {

std::string ClockStepMessage(const TLanguageList& list, const ClockStep& step, std::string_view lineBreak) {
  return ComposeKeyMessage(list, text_key::kClockStepped, DateTimeText(step.from) + " to " + DateTimeText(step.to),
                           lineBreak);
}

}  // namespace helvanta
