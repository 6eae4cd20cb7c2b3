#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "runtime/native_handle_posix.hpp"
#include "runtime/sync_queue.hpp"

namespace helvanta::testing {

// A pseudo-terminal pair: the port under test opens the slave by its path, the test
// plays the far end of the line on the master.
class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name != nullptr) slavePath_ = name;
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // The far end goes away, as when the other side of a line hangs up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  void Send(const std::string& bytes) const {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads what the port sent until `count` bytes came or the time is up; never more.
  std::string Receive(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buffer[256];
      const std::size_t want = count - got.size() < sizeof buffer ? count - got.size() : sizeof buffer;
      const ssize_t n = ::read(master_, buffer, want);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  // Everything the port has sent so far, without waiting.
  std::string Drain() const {
    std::string got;
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return got;
      char buffer[4096];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) return got;  // EIO: the port's side is closed
      got.append(buffer, static_cast<std::size_t>(n));
    }
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

// Runs the main thread's hand-over queue until done() or the time is up; sleeps in
// poll() on the queue's descriptor meanwhile. Returns done().
inline bool ServeMainQueue(const std::function<bool()>& done,
                           std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
  SyncQueue& queue = MainSyncQueue();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    queue.RunPending();
    if (done()) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p{FdOf(queue.WakeHandle()), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(left < 20 ? left : 20));
  }
}

// Serves the queue for the whole period, e.g. to show that nothing arrives.
inline void ServeMainQueueFor(std::chrono::milliseconds period) {
  ServeMainQueue([] { return false; }, period);
}

// True when a hand-over request waits in the main queue (its descriptor is readable).
inline bool DeliveryQueued(std::chrono::milliseconds limit) {
  pollfd p{FdOf(MainSyncQueue().WakeHandle()), POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(limit.count())) == 1;
}

inline double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace helvanta::testing
