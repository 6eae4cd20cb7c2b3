#include "support/spawn_posix.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace helvanta::testing {

namespace {

pid_t Spawn(const std::vector<std::string>& words, const std::string& outputPath, bool append, char* const* envp) {
  std::vector<std::string> copy = words;
  std::vector<char*> argv;
  for (std::string& word : copy) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC),
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append) {
  return Spawn(words, outputPath, append, environ);
}

pid_t SpawnWithOutput(const std::vector<std::string>& words, const std::string& outputPath, bool append,
                      const std::vector<std::string>& environment) {
  std::vector<std::string> copy = environment;
  std::vector<char*> envp;
  for (std::string& entry : copy) envp.push_back(entry.data());
  envp.push_back(nullptr);
  return Spawn(words, outputPath, append, envp.data());
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace helvanta::testing
