#include "runtime/sync_queue.hpp"

namespace helvanta {

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
  Request request{&fn, nullptr};
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(&request);
  }
  // Outside the lock, so that the woken main thread does not block on it at once.
  SignalWake();
  changed_.notify_all();
  AwaitDone(request);
  if (request.error) std::rethrow_exception(request.error);
}

// The caller sleeps on the request's own word.
void SyncQueue::AwaitDone(Request& request) {
  std::uint32_t seen = kQueued;
  if (!request.state.compare_exchange_strong(seen, kAsleep) && seen == kDone) return;
  while (request.state.load() != kDone) {
    SleepWhile(request.state, kAsleep);
  }
}

void SyncQueue::MarkDone(Request& request) {
  // Only the address is passed on: the caller may already have returned and let the
  // request go, and a wake-up for a word nobody sleeps on does nothing.
  if (request.state.exchange(kDone) == kAsleep) {
    WakeOne(request.state);
  }
}

int SyncQueue::RunPending() {
  // Before the requests are taken, so that a request queued after them makes the handle
  // readable again; outside the lock, so that no caller waits on it meanwhile.
  DrainWake();
  return RunQueued();
}

int SyncQueue::RunWoken() { return RunQueued(); }

int SyncQueue::RunQueued() {
  // The requests waiting now; one queued meanwhile wakes the owner again.
  std::deque<Request*> taken;
  {
    std::lock_guard lock(mutex_);
    taken.swap(pending_);
  }
  for (Request* r : taken) {
    try {
      (*r->fn)();
    } catch (...) {
      r->error = std::current_exception();
    }
    MarkDone(*r);
  }
  return static_cast<int>(taken.size());
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
