#include <QAction>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "config/text_keys.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/clock.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/form_main.hpp"

namespace helvanta {
namespace {

// How long after a wall-clock second begins the tick fires.
constexpr int kTickLatencyMs = 5;
constexpr std::int64_t kTickDueAgainMs = 1500;
constexpr int kHistoryFirstColumn = 3;
constexpr int kHistoryLastColumn = 6;

}  // namespace

void TFormMain::Timer1Timer() {
  core_.NoteClock();
  const DateTime boundsNow = ProgramClock().Now();
  const ConnectionWindow window = ComputeConnectionWindow(boundsNow);
  if (AutoDisconnectDue(ComPort1.Connected(), ProgramClock().Now(), window)) {
    Connect1Click();
  }
  SetStatusPanel(0, FormatTime(ProgramClock().Now(), "%h:%m:%s"));
  core_.TickOutputs(ComPort1);
  if (!ComPort1.Connected()) {
    return;
  }
  // A lost line closes the port and is shown once; the user connects again.
  if (ComPort1.LineHungUp()) {
    const std::string message = HangUpMessage(LanguageList, ComPort1, "\r\n");
    Connect1Click();
    throw std::runtime_error(message);
  }
  try {
    core_.RunConnected(ComPort1);
  } catch (const std::exception& error) {
    if (IsLostLine(error)) Connect1Click();
    throw;
  }
  ShowPreviousMeasurand();
  const DateTime now = ProgramClock().Now();
  if (now.second == 0) {
    ShiftHistory(FormatTime(now, "%h:%m"));
  }
}

void TFormMain::ShowPreviousMeasurand() {
  int previous = MeasurandIndex - 1;
  if (previous < 0) {
    previous = kMeasurandCount - 1;
  }
  const TMeasurand& measurand = Measurands[static_cast<std::size_t>(previous)];
  const int row = DisplayRow(measurand.Descriptor);
  if (row >= 0 && row < kDisplayRowCount) {
    SetCell(row, 1, measurand.Value);
  }
}

void TFormMain::ShiftHistory(const std::string& caption) {
  // Right to left, so that each cell is read before it is overwritten.
  for (int column = kHistoryLastColumn; column > kHistoryFirstColumn; --column) {
    SetColumnCaption(column, ColumnCaption(column - 1));
  }
  SetColumnCaption(kHistoryFirstColumn, caption);
  for (int row = 0; row < kDisplayRowCount; ++row) {
    for (int column = kHistoryLastColumn; column > kHistoryFirstColumn; --column) {
      SetCell(row, column, CellText(row, column - 1));
    }
    SetCell(row, kHistoryFirstColumn, CellText(row, 1));
  }
}

void TFormMain::ComDataPacket1Packet(const std::string& packet) { core_.Deliver(packet); }

void TFormMain::Connect1Click() {
  std::string message;
  if (ComPort1.Connected()) {
    ComPort1.Close();
    Connect1->setText(ToDisplay(Translated(text_key::kMenuConnect, "Connect")));
    message = ComposeKeyMessage(LanguageList, text_key::kConnectionClosed, "", "\r\n");
  } else {
    ConnectPort(ComPort1);
    core_.PortOpened();
    Connect1->setText(ToDisplay(Translated(text_key::kMenuDisconnect, "Disconnect")));
    message = ComposeKeyMessage(LanguageList, text_key::kConnected, "", "\r\n");
  }
  ToolButton1->setToolTip(Connect1->text());
  SetStatusPanel(1, message);
}

void TFormMain::OnTimer1() {
  // The timer is armed again only after the tick, so an error box a tick raises holds
  // the ticks that would follow instead of piling up one box per second.
  // A timer that fires a little early must not tick twice in one wall-clock second; a
  // clock set back into the second of the last tick still ticks once the time is due.
  const ClockReading now = ProgramClock().Read();
  const std::int64_t second = now.LocalMs() / 1000;
  if (second != lastTickSecond_ || now.elapsedMs - lastTickAtMs_ >= kTickDueAgainMs) {
    lastTickSecond_ = second;
    lastTickAtMs_ = now.elapsedMs;
    RunGuarded(this, [this] { Timer1Timer(); });
  }
  ArmTimer1();
}

void TFormMain::ArmTimer1() {
  const int millisecond = ProgramClock().Now().millisecond;
  Timer1->start(1000 - millisecond + kTickLatencyMs);
}

}  // namespace helvanta
