#include "support/sim_process_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "support/spawn_posix.hpp"

namespace helvanta::sim::test {

namespace {

constexpr int kStartTimeoutMs = 10'000;

pid_t StartSimulator(const std::vector<std::string>& args, int stdoutFd, const std::string& stderrFile) {
  std::vector<std::string> words{HELVANTA_SIM_EXECUTABLE};
  words.insert(words.end(), args.begin(), args.end());
  testing::SpawnRequest request;
  request.words = words;
  request.outputFd = stdoutFd;
  request.errorPath = stderrFile;
  const pid_t pid = testing::Spawn(request);
  if (pid < 0) throw std::runtime_error("cannot start " + words[0]);
  return pid;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& stderrFile) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  pid_ = StartSimulator(args, pipeFds[1], stderrFile);
  close(pipeFds[1]);
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd pfd{pipeFds[0], POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    char c[256];
    const ssize_t n = read(pipeFds[0], c, sizeof c);
    if (n <= 0) break;
    line.append(c, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  if (const auto nl = line.find('\n'); nl != std::string::npos) devicePath_ = line.substr(0, nl);
}

SimProcess::~SimProcess() {
  if (pid_ > 0) testing::KillAndReap(pid_);
}

int SimProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  return Wait(10'000);
}

int SimProcess::Wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const std::optional<int> code = testing::WaitExitWithin(pid_, std::chrono::milliseconds(timeoutMs));
  if (!code) return -1;
  pid_ = -1;
  return *code;
}

int RunToEnd(const std::vector<std::string>& args, std::string& output) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  const pid_t pid = StartSimulator(args, pipeFds[1], "/dev/null");
  close(pipeFds[1]);
  char c[4096];
  ssize_t n = 0;
  while ((n = read(pipeFds[0], c, sizeof c)) > 0) output.append(c, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  return testing::WaitExit(pid);
}

}  // namespace helvanta::sim::test
