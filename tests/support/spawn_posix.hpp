#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace helvanta::testing {

// How to start a program: words[0] (looked up on PATH when it has no '/') with words as
// its arguments.
struct SpawnRequest {
  std::vector<std::string> words;
  // Standard output goes to outputFd when it is set, else to outputPath (appended to, or
  // truncated first), else stays the test's.
  int outputFd = -1;
  std::string outputPath;
  bool append = false;
  // Standard error goes to errorPath when it is set, else wherever standard output goes.
  std::string errorPath;
  // NAME=value entries as the whole environment; the test's own when not set.
  std::optional<std::vector<std::string>> environment;
};

// The process id, or -1 when it could not start. SIGINT and SIGTERM have their default
// action in the child, even where the tests run with them ignored (a script's background job).
pid_t Spawn(const SpawnRequest& request);

// Standard output and error both going to outputPath.
pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append = false);
// The same with environment (NAME=value entries) as the whole environment of the process.
pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append,
                      const std::vector<std::string>& environment);

// Waits for the process; its exit code, or -1 when it did not exit normally.
int WaitExit(pid_t pid);
// Waits at most limit: the exit code, -1 when it ended otherwise, nothing while it still runs.
std::optional<int> WaitExitWithin(pid_t pid, std::chrono::milliseconds limit);
// Ends the process at once and reaps it.
void KillAndReap(pid_t pid);

}  // namespace helvanta::testing
