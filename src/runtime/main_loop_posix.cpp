#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
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

void ThrowIfFailed(int result, const char* what) {
  if (result < 0) throw std::system_error(errno, std::generic_category(), what);
}

epoll_event EventFor(int fd, std::uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.fd = fd;
  return event;
}

}  // namespace

MainLoop::MainLoop(SyncQueue& queue) : queue_(queue) {
  waitSet_ = HandleOfFd(epoll_create1(EPOLL_CLOEXEC));
  ThrowIfFailed(FdOf(waitSet_), "epoll_create1");
  quitWake_ = HandleOfFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  try {
    ThrowIfFailed(FdOf(quitWake_), "eventfd");
    // Edge-triggered: every hand-over wakes the loop once, so the queue's wake counter
    // needs no read per hand-over.
    epoll_event wake = EventFor(FdOf(queue_.WakeHandle()), EPOLLIN | EPOLLET);
    ThrowIfFailed(epoll_ctl(FdOf(waitSet_), EPOLL_CTL_ADD, wake.data.fd, &wake), "epoll_ctl");
    epoll_event quit = EventFor(FdOf(quitWake_), EPOLLIN);
    ThrowIfFailed(epoll_ctl(FdOf(waitSet_), EPOLL_CTL_ADD, quit.data.fd, &quit), "epoll_ctl");
  } catch (...) {
    if (quitWake_.IsValid()) close(FdOf(quitWake_));
    close(FdOf(waitSet_));
    throw;
  }
}

MainLoop::~MainLoop() {
  close(FdOf(quitWake_));
  close(FdOf(waitSet_));
}

void MainLoop::WatchHandle(NativeHandle handle, std::function<void()> onReadable) {
  epoll_event event = EventFor(FdOf(handle), EPOLLIN);
  // A handle watched before may have been closed meanwhile and its number given to a
  // new file, which the wait set does not hold yet.
  if (!watched_.contains(handle) || epoll_ctl(FdOf(waitSet_), EPOLL_CTL_MOD, event.data.fd, &event) != 0) {
    ThrowIfFailed(epoll_ctl(FdOf(waitSet_), EPOLL_CTL_ADD, event.data.fd, &event), "epoll_ctl");
  }
  watched_[handle] = std::move(onReadable);
}

void MainLoop::UnwatchHandle(NativeHandle handle) {
  if (watched_.erase(handle) == 0) return;
  // A handle closed before is out of the wait set already; that refusal is the only one.
  if (epoll_ctl(FdOf(waitSet_), EPOLL_CTL_DEL, FdOf(handle), nullptr) != 0 && errno != EBADF && errno != ENOENT) {
    throw std::system_error(errno, std::generic_category(), "epoll_ctl");
  }
}

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
  std::int64_t now = MonotonicMs();
  int wait = timeoutMs;
  if (!ticks_.empty()) {
    if (nextTickAtMs_ == 0) nextTickAtMs_ = NextSecondStart();
    const std::int64_t untilTick = nextTickAtMs_ > now ? nextTickAtMs_ - now : 0;
    if (wait < 0 || untilTick < wait) wait = static_cast<int>(untilTick);
  }
  std::array<epoll_event, 8> events{};
  const int ready = epoll_wait(FdOf(waitSet_), events.data(), static_cast<int>(events.size()), wait);
  if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "epoll_wait");
  const int queueFd = FdOf(queue_.WakeHandle());
  std::vector<NativeHandle> readable;
  for (int i = 0; i < ready; ++i) {
    const int fd = events[static_cast<std::size_t>(i)].data.fd;
    if (fd == queueFd) {
      queue_.RunWoken();
    } else if (fd != FdOf(quitWake_)) {
      readable.push_back(HandleOfFd(fd));
    }
  }
  for (const NativeHandle handle : readable) {
    const auto it = watched_.find(handle);
    if (it != watched_.end()) {
      const auto fn = it->second;  // the handler may unwatch itself
      fn();
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
