#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/clock.hpp"
#include "runtime/date_time.hpp"
#include "support/pty_pair_posix.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {

class TFormAbout;
class TFormMain;
class TFormSettings;

// A folder of the test's own that stands for the executable's folder, with the default
// output folder in it as an installation has it.
class TempProgramFolder : public testing::TempFolder {
 public:
  TempProgramFolder();
};

// Captures what the error box would show instead of blocking on a modal box.
class ErrorBoxCapture {
 public:
  ErrorBoxCapture();
  ~ErrorBoxCapture();
  ErrorBoxCapture(const ErrorBoxCapture&) = delete;
  ErrorBoxCapture& operator=(const ErrorBoxCapture&) = delete;

  std::vector<std::string> texts;
  std::vector<std::string> captions;
};

// Installs a manual clock for the test's lifetime.
class ClockScope {
 public:
  explicit ClockScope(const DateTime& start);
  ~ClockScope();
  ClockScope(const ClockScope&) = delete;
  ClockScope& operator=(const ClockScope&) = delete;

  ManualClock clock;
};

// The three windows of window mode, created in start-up order.
struct WindowSet {
  WindowSet();
  ~WindowSet();
  std::unique_ptr<TFormMain> main;
  std::unique_ptr<TFormSettings> settings;
  std::unique_ptr<TFormAbout> about;
};

DateTime At(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);

// Lets queued events and serial hand-overs run for a moment.
void ProcessEvents(int milliseconds = 0);
// Runs the event loop until done() holds or the time is up; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

}  // namespace helvanta
