#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>
#include <vector>

#include "runtime/main_loop.hpp"
#include "runtime/native_handle_posix.hpp"

namespace helvanta {

namespace {

std::int64_t MillisecondsOf(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// The waits run on the monotonic clock, which no setting of the time moves, so that a
// clock set back never stalls the ticks and one set forward never bursts them.
std::int64_t MonotonicMs() { return MillisecondsOf(CLOCK_MONOTONIC); }

// A tick fires this long after the second begins, so that the clock it reads is
// safely inside the new second.
constexpr std::int64_t kTickOffsetMs = 5;

// The monotonic time at which the wall clock's next second begins (plus the offset),
// taken afresh at every tick, so the ticks follow the wall clock's seconds after a step.
std::int64_t NextSecondStart() {
  const std::int64_t wall = MillisecondsOf(CLOCK_REALTIME);
  const std::int64_t intoSecond = ((wall % 1000) + 1000) % 1000;
  return MonotonicMs() + (1000 - intoSecond) + kTickOffsetMs;
}

}  // namespace

MainLoop::MainLoop(SyncQueue& queue) : queue_(queue) {
  quitWake_ = HandleOfFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!quitWake_.IsValid()) throw std::system_error(errno, std::generic_category(), "eventfd");
}

MainLoop::~MainLoop() { close(FdOf(quitWake_)); }

void MainLoop::WatchHandle(NativeHandle handle, std::function<void()> onReadable) {
  watched_[handle] = std::move(onReadable);
}

void MainLoop::UnwatchHandle(NativeHandle handle) { watched_.erase(handle); }

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
  [[maybe_unused]] const ssize_t n = write(FdOf(quitWake_), &one, sizeof one);
}

void MainLoop::RunOnce(int timeoutMs) {
  std::vector<pollfd> pfds;
  pfds.push_back({FdOf(queue_.WakeHandle()), POLLIN, 0});
  pfds.push_back({FdOf(quitWake_), POLLIN, 0});
  std::vector<NativeHandle> watched;
  for (const auto& [handle, fn] : watched_) {
    pfds.push_back({FdOf(handle), POLLIN, 0});
    watched.push_back(handle);
  }
  std::int64_t now = MonotonicMs();
  int wait = timeoutMs;
  if (!ticks_.empty()) {
    if (nextTickAtMs_ == 0) nextTickAtMs_ = NextSecondStart();
    const std::int64_t untilTick = nextTickAtMs_ > now ? nextTickAtMs_ - now : 0;
    if (wait < 0 || untilTick < wait) wait = static_cast<int>(untilTick);
  }
  const int rc = poll(pfds.data(), pfds.size(), wait);
  if (rc < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
  if (rc > 0) {
    if (pfds[0].revents != 0) queue_.RunPending();
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (pfds[i + 2].revents == 0) continue;
      const auto it = watched_.find(watched[i]);
      if (it != watched_.end()) {
        const auto fn = it->second;  // the handler may unwatch itself
        fn();
      }
    }
  }
  if (ticks_.empty()) {
    nextTickAtMs_ = 0;
    return;
  }
  now = MonotonicMs();
  if (now >= nextTickAtMs_) {
    // Realign to the next second from now: a late or long tick never causes a burst.
    nextTickAtMs_ = NextSecondStart();
    std::vector<std::function<void()>> due;
    for (const auto& [id, fn] : ticks_) due.push_back(fn);
    for (const auto& fn : due) fn();
  }
}

int MainLoop::Run() {
  while (!quit_.load()) RunOnce(-1);
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = read(FdOf(quitWake_), &value, sizeof value);
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
