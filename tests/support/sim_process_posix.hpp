#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace helvanta::sim::test {

// The built helvanta-sim, started with arguments; its first output line is the device.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args, const std::string& stderrFile = "/dev/null");
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Empty when the first line did not come within the timeout.
  const std::string& DevicePath() const { return devicePath_; }
  // Sends the signal and waits; returns the exit status, or -1 for anything else.
  int Stop(int signal);
  // Waits for the process to end by itself; -1 on timeout or an abnormal end.
  int Wait(int timeoutMs);

 private:
  pid_t pid_ = -1;
  std::string devicePath_;
};

// Runs helvanta-sim to its end and returns its exit status and standard output.
int RunToEnd(const std::vector<std::string>& args, std::string& output);

}  // namespace helvanta::sim::test
