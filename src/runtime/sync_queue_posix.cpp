#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "runtime/native_handle_posix.hpp"
#include "runtime/sync_queue.hpp"

namespace helvanta {

SyncQueue::SyncQueue() : owner_(std::this_thread::get_id()) {
  wake_ = HandleOfFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake_.IsValid()) throw std::system_error(errno, std::generic_category(), "eventfd");
}

SyncQueue::~SyncQueue() { close(FdOf(wake_)); }

void SyncQueue::BindToCurrentThread() {
  std::lock_guard lock(mutex_);
  owner_ = std::this_thread::get_id();
}

bool SyncQueue::OnOwnerThread() const {
  std::lock_guard lock(mutex_);
  return owner_ == std::this_thread::get_id();
}

void SyncQueue::Synchronize(const std::function<void()>& fn) {
  if (OnOwnerThread()) {
    fn();
    return;
  }
  Request request{&fn, nullptr, false};
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(&request);
  }
  // Outside the lock, so that the woken main thread does not block on it at once.
  const std::uint64_t one = 1;
  // A full counter still leaves the descriptor readable, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = write(FdOf(wake_), &one, sizeof one);
  changed_.notify_all();
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return request.done; });
  }
  if (request.error) std::rethrow_exception(request.error);
}

void SyncQueue::DrainWake() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = read(FdOf(wake_), &value, sizeof value);
}

int SyncQueue::RunPending() {
  int count = 0;
  std::unique_lock lock(mutex_);
  DrainWake();
  while (!pending_.empty()) {
    Request* r = pending_.front();
    pending_.pop_front();
    lock.unlock();
    try {
      (*r->fn)();
    } catch (...) {
      r->error = std::current_exception();
    }
    lock.lock();
    r->done = true;
    // Woken after the unlock, the caller finds the lock free.
    lock.unlock();
    changed_.notify_all();
    ++count;
    lock.lock();
  }
  return count;
}

void SyncQueue::ServeUntil(const std::function<bool()>& done) {
  for (;;) {
    RunPending();
    // done() is tested under the lock that Wake() takes, so no wake-up slips in between.
    std::unique_lock lock(mutex_);
    if (pending_.empty() && done()) return;
    changed_.wait(lock, [&] { return !pending_.empty() || done(); });
  }
}

void SyncQueue::Wake() {
  std::lock_guard lock(mutex_);
  changed_.notify_all();
}

SyncQueue& MainSyncQueue() {
  static SyncQueue queue;
  return queue;
}

namespace {
// Construct the queue while the program loads, so that it belongs to the main thread.
[[maybe_unused]] SyncQueue& gMainQueueAtLoad = MainSyncQueue();
}  // namespace

}  // namespace helvanta
