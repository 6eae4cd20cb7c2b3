#include <gtest/gtest.h>

#include <array>
#include <string>

#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "support/sim_process_posix.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

TEST(WindowWithSimulator, AfterFortySixTicksEveryRowShowsTheSimulatorsValue) {
  TempProgramFolder folder;
  ClockScope clock(At(2024, 6, 21, 12, 0, 0, 100));
  ErrorBoxCapture box;
  sim::test::SimProcess sim({"--fast", "--start", "12:00:00", "--seed", "7"});
  ASSERT_FALSE(sim.DevicePath().empty());
  WindowSet windows;
  TFormMain& form = *windows.main;
  AppSettings.ComPort = sim.DevicePath();
  form.Connect1Click();
  ASSERT_TRUE(form.ComPort1.Connected()) << (box.texts.empty() ? "" : box.texts.front());

  std::array<std::string, kMeasurandCount> answered;
  for (int tick = 0; tick < 46; ++tick) {
    clock.clock.Advance(1000);
    form.Timer1Timer();
    if (tick < 45) {
      const auto requested = static_cast<std::size_t>(form.MeasurandIndex);
      // The answer comes through the event thread's hand-over to this thread.
      EXPECT_TRUE(WaitUntil([&] { return Measurands[requested].Value != "N/A"; }, 3000)) << "index " << requested;
      answered.at(requested) = Measurands[requested].Value;
    }
  }
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
  for (int index = 0; index < kMeasurandCount; ++index) {
    const int row = DisplayRow(Measurands[static_cast<std::size_t>(index)].Descriptor);
    if (row < 0) {
      continue;
    }
    EXPECT_NE(form.CellText(row, 1), "N/A") << row;
    EXPECT_EQ(form.CellText(row, 1), answered.at(static_cast<std::size_t>(index))) << row;
  }
  EXPECT_EQ(form.CellText(30, 1), "1");
  EXPECT_EQ(form.CellText(31, 1), "1.23");
  form.Connect1Click();
}

}  // namespace
}  // namespace helvanta
