#include "support/spawn_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace helvanta::testing {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

pid_t Spawn(const SpawnRequest& request) {
  std::vector<std::string> words = request.words;
  std::vector<char*> argv = Pointers(words);
  std::vector<std::string> environment = request.environment.value_or(std::vector<std::string>{});
  std::vector<char*> envp = Pointers(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const bool ownOutput = request.outputFd >= 0 || !request.outputPath.empty();
  if (request.outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, request.outputFd, STDOUT_FILENO);
  } else if (!request.outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, request.outputPath.c_str(),
                                     O_WRONLY | O_CREAT | (request.append ? O_APPEND : O_TRUNC), 0644);
  }
  if (!request.errorPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, request.errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  } else if (ownOutput) {
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int rc =
      posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), request.environment ? envp.data() : environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append) {
  SpawnRequest request;
  request.words = words;
  request.outputPath = outputPath;
  request.append = append;
  return Spawn(request);
}

pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append,
                      const std::vector<std::string>& environment) {
  SpawnRequest request;
  request.words = words;
  request.outputPath = outputPath;
  request.append = append;
  request.environment = environment;
  return Spawn(request);
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return ExitCode(status);
}

std::optional<int> WaitExitWithin(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return ExitCode(status);
    if (ended < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    // A child's end wakes no descriptor here, so its state is looked at every few ms.
    poll(nullptr, 0, 5);
  }
}

void KillAndReap(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace helvanta::testing
