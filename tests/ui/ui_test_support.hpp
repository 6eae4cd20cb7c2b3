#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/clock.hpp"
#include "runtime/date_time.hpp"

namespace helvanta {

class TFormAbout;
class TFormMain;
class TFormSettings;

// A folder of the test's own that stands for the executable's folder.
class TempProgramFolder {
 public:
  TempProgramFolder();
  ~TempProgramFolder();
  TempProgramFolder(const TempProgramFolder&) = delete;
  TempProgramFolder& operator=(const TempProgramFolder&) = delete;

  // With a trailing separator, as ProgramFolder() gives it.
  const std::string& Path() const { return path_; }
  void WriteFile(const std::string& name, const std::string& content) const;
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
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

// A pseudo-terminal: the window opens the slave path; the test reads the master.
class Pty {
 public:
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  // Whatever the master has received so far.
  std::string Drain();

 private:
  int master_ = -1;
  std::string slavePath_;
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
