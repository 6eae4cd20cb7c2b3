#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "runtime/native_handle.hpp"
#include "runtime/sync_queue.hpp"

namespace helvanta {

// The main thread's loop for the service, the simulator and tests: it runs the
// hand-over queue, handles it watches, and one-second ticks that fire once per
// wall-clock second, just after the second begins, waiting on the monotonic clock.
class MainLoop {
 public:
  explicit MainLoop(SyncQueue& queue = MainSyncQueue());
  ~MainLoop();
  MainLoop(const MainLoop&) = delete;
  MainLoop& operator=(const MainLoop&) = delete;

  // Calls onReadable on the main thread whenever handle is readable.
  void WatchHandle(NativeHandle handle, std::function<void()> onReadable);
  void UnwatchHandle(NativeHandle handle);

  // Registers a one-second tick; returns its id.
  int AddTick(std::function<void()> onTick);
  void RemoveTick(int id);

  // Runs until Quit(); returns the code given to Quit().
  int Run();
  // Runs one round: waits at most timeoutMs (or up to the next tick) and handles what came.
  void RunOnce(int timeoutMs);
  // Safe from any thread and from a signal handler.
  void Quit(int code = 0);
  bool QuitRequested() const { return quit_.load(); }

 private:
  // The platform's wait of at most waitMs (-1: no limit) on the wait set: runs the
  // queue's hand-overs when it was woken and gives the watched handles that are readable.
  std::vector<NativeHandle> Wait(int waitMs);
  void WakeForQuit();
  void ResetQuitWake();
  // Milliseconds of the monotonic clock, which no setting of the time moves, and of
  // the wall clock, whose seconds the ticks follow.
  static std::int64_t MonotonicMs();
  static std::int64_t WallMs();

  SyncQueue& queue_;
  NativeHandle waitSet_;  // what the loop sleeps on, with the queue's wake and quitWake_
  NativeHandle quitWake_;
  std::atomic<bool> quit_{false};
  std::atomic<int> exitCode_{0};
  std::map<NativeHandle, std::function<void()>> watched_;
  std::map<int, std::function<void()>> ticks_;
  int nextTickId_ = 1;
  std::int64_t nextTickAtMs_ = 0;  // monotonic milliseconds
};

// Enabled/disabled one-second timer on a MainLoop, in the manner of a form's timer.
class SecondTimer {
 public:
  explicit SecondTimer(MainLoop& loop) : loop_(loop) {}
  ~SecondTimer() { SetEnabled(false); }
  SecondTimer(const SecondTimer&) = delete;
  SecondTimer& operator=(const SecondTimer&) = delete;

  bool Enabled() const { return id_ != 0; }
  void SetEnabled(bool enabled);

  std::function<void()> OnTimer;

 private:
  MainLoop& loop_;
  int id_ = 0;
};

}  // namespace helvanta
