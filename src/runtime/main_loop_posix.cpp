#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>
#include <vector>

#include "runtime/main_loop.hpp"

namespace helvanta {

namespace {

std::int64_t RealtimeMs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// A tick fires this long after the second begins, so that the clock it reads is
// safely inside the new second.
constexpr std::int64_t kTickOffsetMs = 5;

std::int64_t NextSecondStart(std::int64_t nowMs) { return (nowMs / 1000 + 1) * 1000 + kTickOffsetMs; }

}  // namespace

MainLoop::MainLoop(SyncQueue& queue) : queue_(queue) {
  quitFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (quitFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

MainLoop::~MainLoop() { close(quitFd_); }

void MainLoop::WatchFd(int fd, std::function<void()> onReadable) { fds_[fd] = std::move(onReadable); }

void MainLoop::UnwatchFd(int fd) { fds_.erase(fd); }

int MainLoop::AddTick(std::function<void()> onTick) {
  const int id = nextTickId_++;
  ticks_[id] = std::move(onTick);
  return id;
}

void MainLoop::RemoveTick(int id) { ticks_.erase(id); }

void MainLoop::Quit(int code) {
  exitCode_.store(code);
  quit_.store(true);
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(quitFd_, &one, sizeof one);
}

void MainLoop::RunOnce(int timeoutMs) {
  std::vector<pollfd> pfds;
  pfds.push_back({queue_.WakeFd(), POLLIN, 0});
  pfds.push_back({quitFd_, POLLIN, 0});
  std::vector<int> watched;
  for (const auto& [fd, fn] : fds_) {
    pfds.push_back({fd, POLLIN, 0});
    watched.push_back(fd);
  }
  std::int64_t now = RealtimeMs();
  int wait = timeoutMs;
  if (!ticks_.empty()) {
    if (nextTickAtMs_ == 0) nextTickAtMs_ = NextSecondStart(now);
    const std::int64_t untilTick = nextTickAtMs_ > now ? nextTickAtMs_ - now : 0;
    if (wait < 0 || untilTick < wait) wait = static_cast<int>(untilTick);
  }
  const int rc = poll(pfds.data(), pfds.size(), wait);
  if (rc < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
  if (rc > 0) {
    if (pfds[0].revents != 0) queue_.RunPending();
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (pfds[i + 2].revents == 0) continue;
      const auto it = fds_.find(watched[i]);
      if (it != fds_.end()) {
        const auto fn = it->second;  // the handler may unwatch itself
        fn();
      }
    }
  }
  if (ticks_.empty()) {
    nextTickAtMs_ = 0;
    return;
  }
  now = RealtimeMs();
  if (now >= nextTickAtMs_) {
    // Realign to the next second from now: a late or long tick never causes a burst.
    nextTickAtMs_ = NextSecondStart(now);
    std::vector<std::function<void()>> due;
    for (const auto& [id, fn] : ticks_) due.push_back(fn);
    for (const auto& fn : due) fn();
  }
}

int MainLoop::Run() {
  while (!quit_.load()) RunOnce(-1);
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = read(quitFd_, &value, sizeof value);
  quit_.store(false);
  return exitCode_.load();
}

void SecondTimer::SetEnabled(bool enabled) {
  if (enabled == Enabled()) return;
  if (enabled) {
    id_ = loop_.AddTick([this] {
      if (OnTimer) OnTimer();
    });
  } else {
    loop_.RemoveTick(id_);
    id_ = 0;
  }
}

}  // namespace helvanta
