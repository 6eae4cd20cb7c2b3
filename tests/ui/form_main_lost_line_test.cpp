#include <gtest/gtest.h>

#include <QAction>

#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "support/pty_pair_posix.hpp"
#include "ui/error_box.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

// A line that goes away while connected: the window closes the port and shows the error
// once, instead of once a second; the user connects again.
class FormMainLostLine : public ::testing::Test {
 protected:
  FormMainLostLine() : clock_(At(2024, 5, 6, 12, 3, 10, 100)) {}

  TFormMain& Form() { return *windows_.main; }

  // Three ticks as the window's timer runs them.
  void TickThrice() {
    for (int i = 0; i < 3; ++i) {
      clock_.clock.Advance(1000);
      RunGuarded(&Form(), [this] { Form().Timer1Timer(); });
    }
  }

  void Connect() {
    AppSettings.ComPort = pty_.SlavePath();
    Form().Connect1->trigger();
    ASSERT_TRUE(Form().ComPort1.Connected());
  }

  void ExpectClosedWithOneBox(const std::string& start) {
    ASSERT_EQ(box_.texts.size(), 1u);
    EXPECT_EQ(box_.texts[0].rfind(start, 0), 0u) << box_.texts[0];
    EXPECT_FALSE(Form().ComPort1.Connected());
    EXPECT_EQ(Form().Connect1->text(), QStringLiteral("Connect"));
    EXPECT_EQ(Form().StatusPanelText(1), "Connection closed.");
  }

  TempProgramFolder folder_;
  ClockScope clock_;
  ErrorBoxCapture box_;
  testing::PtyPair pty_;
  WindowSet windows_;
};

TEST_F(FormMainLostLine, AFailedRequestWriteAdvancesTheIndexLeavesNAAndIsShownOnce) {
  // Without an event thread nobody notices the hang-up before the write does.
  Form().ComPort1.SetEvents(TComEvents{});
  Connect();
  clock_.clock.Advance(1000);
  Form().Timer1Timer();
  ASSERT_EQ(Form().MeasurandIndex, 0);
  pty_.CloseMaster();
  TickThrice();
  ExpectClosedWithOneBox("WriteFile function failed (" + pty_.SlavePath() + ": Input/output error, error 5)");
  EXPECT_EQ(Form().MeasurandIndex, 1);
  EXPECT_EQ(Measurands[1].Value, "N/A");
}

TEST_F(FormMainLostLine, AHangUpSeenByTheEventThreadIsShownOnce) {
  Connect();
  pty_.CloseMaster();
  ASSERT_TRUE(WaitUntil([this] { return Form().ComPort1.LineHungUp(); }, 3000));
  TickThrice();
  ExpectClosedWithOneBox(pty_.SlavePath() + ": the line hung up");
  EXPECT_EQ(Form().MeasurandIndex, -1);
}

}  // namespace
}  // namespace helvanta
