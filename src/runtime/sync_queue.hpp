#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "runtime/native_handle.hpp"

namespace helvanta {

// Synchronous hand-over of work from helper threads to the main thread. The caller
// waits until the main thread has run its request; an exception thrown by the request
// is thrown again in the caller. The main thread runs requests from its event loop
// (the queue's wake handle becomes readable) and while it waits for a thread to end.
class SyncQueue {
 public:
  SyncQueue();
  ~SyncQueue();
  SyncQueue(const SyncQueue&) = delete;
  SyncQueue& operator=(const SyncQueue&) = delete;

  // Runs fn on the owner thread and waits for it; on the owner thread itself it runs
  // fn at once.
  void Synchronize(const std::function<void()>& fn);

  // Owner thread: runs every waiting request; returns how many ran. It first resets the
  // wake handle, as a level-triggered wait on it (poll, a Qt notifier) needs.
  int RunPending();
  // The same for a wait that reports each wake once (edge-triggered): the wake handle is
  // left as it is, which saves reading it.
  int RunWoken();

  // Owner thread: runs requests as they come until done() is true. Whoever changes what
  // done() reads calls Wake() afterwards; done() must not call into the queue.
  void ServeUntil(const std::function<bool()>& done);

  // Rouses ServeUntil so that it tests its condition again.
  void Wake();

  // Readable while requests wait; for the main loop's wait or a Qt notifier.
  NativeHandle WakeHandle() const { return wake_; }

  // Makes the calling thread the one that runs requests.
  void BindToCurrentThread();
  bool OnOwnerThread() const;

 private:
  // A request is kQueued until the owner has run it (kDone); kAsleep while its caller
  // sleeps on it.
  static constexpr std::uint32_t kQueued = 0;
  static constexpr std::uint32_t kAsleep = 1;
  static constexpr std::uint32_t kDone = 2;
  struct Request {
    const std::function<void()>* fn;
    std::exception_ptr error;
    std::atomic<std::uint32_t> state{kQueued};
  };

  static void AwaitDone(Request& request);
  static void MarkDone(Request& request);
  // The platform's wait on a word while it holds value, and the wake-up of one waiter.
  static void SleepWhile(std::atomic<std::uint32_t>& word, std::uint32_t value);
  static void WakeOne(std::atomic<std::uint32_t>& word);

  void SignalWake();
  void DrainWake();
  int RunQueued();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request*> pending_;
  std::thread::id owner_;
  NativeHandle wake_;
};

// The process's main-thread queue; bound to the thread that loads the program.
SyncQueue& MainSyncQueue();

}  // namespace helvanta
