#include "support/main_queue_posix.hpp"

#include <poll.h>

#include "runtime/native_handle_posix.hpp"
#include "runtime/sync_queue.hpp"

namespace helvanta::testing {

bool ServeMainQueue(const std::function<bool()>& done, std::chrono::milliseconds limit) {
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

void ServeMainQueueFor(std::chrono::milliseconds period) {
  ServeMainQueue([] { return false; }, period);
}

bool DeliveryQueued(std::chrono::milliseconds limit) {
  pollfd p{FdOf(MainSyncQueue().WakeHandle()), POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(limit.count())) == 1;
}

}  // namespace helvanta::testing
