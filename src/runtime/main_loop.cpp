#include "runtime/main_loop.hpp"

namespace helvanta {

namespace {

// A tick fires this long after the second begins, so that the clock it reads is
// safely inside the new second.
constexpr std::int64_t kTickOffsetMs = 5;

}  // namespace

int MainLoop::AddTick(std::function<void()> onTick) {
  const int id = nextTickId_++;
  ticks_[id] = std::move(onTick);
  return id;
}

void MainLoop::RemoveTick(int id) { ticks_.erase(id); }

void MainLoop::Quit(int code) {
  exitCode_.store(code);
  quit_.store(true);
  WakeForQuit();
}

// The waits run on the monotonic clock, so that a clock set back never stalls the ticks
// and one set forward never bursts them; the next tick is taken afresh from the wall
// clock at every tick, so the ticks follow the wall clock's seconds after a step.
void MainLoop::RunOnce(int timeoutMs) {
  std::int64_t now = MonotonicMs();
  const auto nextSecondStart = [] {
    const std::int64_t intoSecond = ((WallMs() % 1000) + 1000) % 1000;
    return MonotonicMs() + (1000 - intoSecond) + kTickOffsetMs;
  };
  int wait = timeoutMs;
  if (!ticks_.empty()) {
    if (nextTickAtMs_ == 0) nextTickAtMs_ = nextSecondStart();
    const std::int64_t untilTick = nextTickAtMs_ > now ? nextTickAtMs_ - now : 0;
    if (wait < 0 || untilTick < wait) wait = static_cast<int>(untilTick);
  }
  for (const NativeHandle handle : Wait(wait)) {
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
    nextTickAtMs_ = nextSecondStart();
    std::vector<std::function<void()>> due;
    for (const auto& [id, fn] : ticks_) due.push_back(fn);
    for (const auto& fn : due) fn();
  }
}

int MainLoop::Run() {
  while (!quit_.load()) RunOnce(-1);
  ResetQuitWake();
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
