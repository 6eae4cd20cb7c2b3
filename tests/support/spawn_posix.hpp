#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace helvanta::testing {

// Starts words[0] (looked up on PATH when it has no '/') with words as its arguments,
// standard output and error both going to outputPath (appended to, or truncated
// first). The process id, or -1 when it could not start.
pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append = false);
// The same with environment (NAME=value entries) as the whole environment of the process.
pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append,
                      const std::vector<std::string>& environment);

// Waits for the process; its exit code, or -1 when it did not exit normally.
int WaitExit(pid_t pid);

}  // namespace helvanta::testing
