#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <system_error>

#include "runtime/main_loop.hpp"
#include "runtime/native_handle_posix.hpp"

namespace helvanta {

namespace {

std::int64_t MillisecondsOf(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
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

std::int64_t MainLoop::MonotonicMs() { return MillisecondsOf(CLOCK_MONOTONIC); }

std::int64_t MainLoop::WallMs() { return MillisecondsOf(CLOCK_REALTIME); }

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

void MainLoop::WakeForQuit() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(FdOf(quitWake_), &one, sizeof one);
}

void MainLoop::ResetQuitWake() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = read(FdOf(quitWake_), &value, sizeof value);
}

std::vector<NativeHandle> MainLoop::Wait(int waitMs) {
  std::array<epoll_event, 8> events{};
  const int ready = epoll_wait(FdOf(waitSet_), events.data(), static_cast<int>(events.size()), waitMs);
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
  return readable;
}

}  // namespace helvanta
