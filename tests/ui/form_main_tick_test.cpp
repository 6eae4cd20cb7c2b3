#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>
#include <QToolButton>

#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

constexpr char kRequestForIndex0[] =
    "\x02"
    "0053??";

class FormMainTick : public ::testing::Test {
 protected:
  FormMainTick() : clock_(At(2024, 5, 6, 12, 3, 10, 100)) {}

  TFormMain& Form() { return *windows_.main; }

  // One tick one second after the last one.
  void Tick() {
    clock_.clock.Advance(1000);
    Form().Timer1Timer();
  }

  TempProgramFolder folder_;
  ClockScope clock_;
  ErrorBoxCapture box_;
  testing::PtyPair pty_;
  WindowSet windows_;
};

TEST_F(FormMainTick, ConnectAndDisconnectSwitchCaptionHintAndMessage) {
  AppSettings.ComPort = pty_.SlavePath();
  Form().Connect1->trigger();
  EXPECT_TRUE(box_.texts.empty()) << box_.texts.front();
  EXPECT_TRUE(Form().ComPort1.Connected());
  EXPECT_EQ(Form().Connect1->text(), QStringLiteral("Disconnect"));
  EXPECT_EQ(Form().ToolButton1->toolTip(), QStringLiteral("Disconnect"));
  EXPECT_EQ(Form().StatusPanelText(1), "Connected to Siemens SPN1000.");

  Form().ToolButton1->click();
  EXPECT_FALSE(Form().ComPort1.Connected());
  EXPECT_EQ(Form().Connect1->text(), QStringLiteral("Connect"));
  EXPECT_EQ(Form().ToolButton1->toolTip(), QStringLiteral("Connect"));
  EXPECT_EQ(Form().StatusPanelText(1), "Connection closed.");

  // A port that cannot be opened: the error box, and nothing else changes.
  AppSettings.ComPort = folder_.Path() + "no-such-tty";
  Form().Connect1->trigger();
  ASSERT_EQ(box_.texts.size(), 1u);
  EXPECT_EQ(box_.texts[0].rfind("Unable to open com port", 0), 0u) << box_.texts[0];
  EXPECT_EQ(box_.captions[0], "Helvanta 1.2 for Siemens SPN1000");
  EXPECT_FALSE(Form().ComPort1.Connected());
  EXPECT_EQ(Form().Connect1->text(), QStringLiteral("Connect"));
  EXPECT_EQ(Form().ToolButton1->toolTip(), QStringLiteral("Connect"));
  EXPECT_EQ(Form().StatusPanelText(1), "Connection closed.");
}

TEST_F(FormMainTick, TheFirstTickSendsIndexZeroAndShowsTheVersionRowAsNotAvailable) {
  Tick();
  EXPECT_EQ(Form().StatusPanelText(0), "12:03:11");
  EXPECT_EQ(Form().MeasurandIndex, -1);  // closed: only the clock
  EXPECT_EQ(pty_.Drain(), "");

  AppSettings.ComPort = pty_.SlavePath();
  Form().Connect1Click();
  Form().ListView1->item(31, 1)->setData(Qt::UserRole, QByteArray("stale"));
  Tick();
  EXPECT_EQ(Form().MeasurandIndex, 0);
  EXPECT_EQ(Form().CellText(31, 1), "N/A");
  ProcessEvents(20);
  const std::string sent = pty_.Drain();
  ASSERT_EQ(sent.size(), 13u);
  EXPECT_EQ(sent.substr(0, 7), kRequestForIndex0);
  EXPECT_EQ(sent[11], '\x03');
}

TEST_F(FormMainTick, PseudoDataFillsEveryRowAndTheHistoryMovesOnlyAtSecondZeroWhileConnected) {
  AppSettings.ComPort = pty_.SlavePath();
  AppSettings.ReceivePseudoData = true;
  Form().Connect1Click();
  // 12:03:11 ... 12:03:56: one full pass and one more tick to show the last entry.
  for (int i = 0; i < 46; ++i) {
    Tick();
    pty_.Drain();
  }
  for (int row = 0; row < 32; ++row) {
    EXPECT_NE(Form().CellText(row, 1), "N/A") << row;
  }
  EXPECT_EQ(Form().CellText(0, 1), "227.60");
  for (int column = 3; column < 7; ++column) {
    EXPECT_EQ(Form().ColumnCaption(column), "Time");
  }

  // 12:03:57 ... 12:04:00: the history moves once, at second 00.
  for (int i = 0; i < 4; ++i) {
    Tick();
  }
  EXPECT_EQ(Form().ColumnCaption(3), "12:04");
  EXPECT_EQ(Form().ColumnCaption(4), "Time");
  EXPECT_EQ(Form().CellText(0, 3), "227.60");
  EXPECT_EQ(Form().CellText(0, 4), "");
  // 12:04 is a logging minute; without a template the logger says so in panel 1.
  EXPECT_EQ(Form().StatusPanelText(1), "Could not open template file: " + folder_.Path() + "Template.csv!");

  const std::string row2At1204 = Form().CellText(2, 3);
  for (int i = 0; i < 59; ++i) {
    Tick();
  }
  EXPECT_EQ(Form().ColumnCaption(3), "12:04");
  // A row that neither of the next two ticks writes a value into.
  const int shownNext = DisplayRow(Measurands[static_cast<std::size_t>(Form().MeasurandIndex)].Descriptor);
  const int shownAfter = DisplayRow(Measurands[static_cast<std::size_t>((Form().MeasurandIndex + 1) % 45)].Descriptor);
  int row = 0;
  while (row == shownNext || row == shownAfter) {
    ++row;
  }
  const std::string before = Form().CellText(row, 3);
  Form().ListView1->item(row, 1)->setData(Qt::UserRole, QByteArray("marker"));
  Tick();  // 12:05:00
  EXPECT_EQ(Form().ColumnCaption(3), "12:05");
  EXPECT_EQ(Form().ColumnCaption(4), "12:04");
  EXPECT_EQ(Form().ColumnCaption(5), "Time");
  EXPECT_EQ(Form().CellText(row, 3), "marker");
  EXPECT_EQ(Form().CellText(row, 4), before);
  EXPECT_NE(row2At1204, "");

  // A tick landing in second 00 a second time moves the history again.
  Form().Timer1Timer();
  EXPECT_EQ(Form().ColumnCaption(5), "12:04");
  EXPECT_EQ(Form().CellText(row, 4), "marker");
  EXPECT_EQ(Form().CellText(row, 5), before);

  // Closed, second 00 moves nothing.
  Form().Connect1Click();
  clock_.clock.Set(At(2024, 5, 6, 12, 6, 0, 100));
  Form().Timer1Timer();
  EXPECT_EQ(Form().ColumnCaption(3), "12:05");
  EXPECT_EQ(Form().StatusPanelText(0), "12:06:00");
}

TEST_F(FormMainTick, TheTickDisconnectsOnlyAfterTheTillTime) {
  AppSettings.ComPort = pty_.SlavePath();
  AppSettings.Till = "12:03:13";
  Form().Connect1Click();
  Tick();  // 12:03:11
  Tick();  // 12:03:12
  clock_.clock.Set(At(2024, 5, 6, 12, 3, 13, 0));
  Form().Timer1Timer();  // exactly at Till: stays open
  EXPECT_TRUE(Form().ComPort1.Connected());
  const std::int32_t index = Form().MeasurandIndex;
  clock_.clock.Set(At(2024, 5, 6, 12, 3, 13, 1));
  Form().Timer1Timer();
  EXPECT_FALSE(Form().ComPort1.Connected());
  EXPECT_EQ(Form().StatusPanelText(1), "Connection closed.");
  EXPECT_EQ(Form().Connect1->text(), QStringLiteral("Connect"));
  EXPECT_EQ(Form().MeasurandIndex, index);  // nothing sent after the disconnect

  // Connecting by hand after Till lasts until the next tick.
  Form().Connect1Click();
  EXPECT_TRUE(Form().ComPort1.Connected());
  Tick();
  EXPECT_FALSE(Form().ComPort1.Connected());
  EXPECT_EQ(Form().StatusPanelText(1), "Connection closed.");
  EXPECT_TRUE(box_.texts.empty());
}

TEST(FormMainTranslatedTick, ConnectingBeforeFromStaysOpenAndTheTranslatedTextsAreUsed) {
  TempProgramFolder folder;
  ClockScope clock(At(2024, 5, 6, 12, 3, 10, 100));
  testing::PtyPair pty;
  folder.WriteFile("Helvanta.lng", "0002=Verbunden.\\nOK\r\n0003=Getrennt.\r\n1002=Verbinden\r\n1003=Trennen\r\n");
  WindowSet windows;
  TFormMain& form = *windows.main;
  AppSettings.ComPort = pty.SlavePath();
  AppSettings.From = "13:00:00";
  form.Connect1Click();
  EXPECT_EQ(form.Connect1->text(), QStringLiteral("Trennen"));
  EXPECT_EQ(form.ToolButton1->toolTip(), QStringLiteral("Trennen"));
  EXPECT_EQ(form.StatusPanelText(1), "Verbunden.\r\nOK");
  clock.clock.Advance(1000);
  form.Timer1Timer();
  EXPECT_TRUE(form.ComPort1.Connected());
  EXPECT_EQ(form.MeasurandIndex, 0);
  form.Connect1Click();
  EXPECT_EQ(form.Connect1->text(), QStringLiteral("Verbinden"));
  EXPECT_EQ(form.StatusPanelText(1), "Getrennt.");
}

}  // namespace
}  // namespace helvanta
