#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

// The simulator as a child process; the first line it prints is its device.
class Simulator {
 public:
  explicit Simulator(const std::string& program) {
    int out[2];
    if (pipe(out) != 0) {
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      execl(program.c_str(), program.c_str(), "--fast", "--start", "12:00:00", "--seed", "7",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    output_ = fdopen(out[0], "r");
    char line[256];
    if (output_ != nullptr && std::fgets(line, sizeof line, output_) != nullptr) {
      device_ = line;
      while (!device_.empty() && (device_.back() == '\n' || device_.back() == '\r')) {
        device_.pop_back();
      }
    }
  }
  ~Simulator() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ != nullptr) {
      std::fclose(output_);
    }
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& Device() const { return device_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::string device_;
};

TEST(WindowWithSimulator, AfterFortySixTicksEveryRowShowsTheSimulatorsValue) {
  const std::string program = std::string(HELVANTA_BINARY_DIR) + "/tools/sim/helvanta-sim";
  if (!std::filesystem::exists(program)) {
    GTEST_SKIP() << "helvanta-sim is not built: " << program;
  }
  TempProgramFolder folder;
  ClockScope clock(At(2024, 6, 21, 12, 0, 0, 100));
  ErrorBoxCapture box;
  Simulator sim(program);
  ASSERT_FALSE(sim.Device().empty());
  WindowSet windows;
  TFormMain& form = *windows.main;
  AppSettings.ComPort = sim.Device();
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
