#include <linux/futex.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
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

void SyncQueue::SignalWake() {
  const std::uint64_t one = 1;
  // A full counter still leaves the descriptor readable, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = write(FdOf(wake_), &one, sizeof one);
}

void SyncQueue::DrainWake() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = read(FdOf(wake_), &value, sizeof value);
}

// A futex on the request's own word: one call to sleep and one to be woken, where a
// condition variable with its mutex takes more. Returns at once when the word no longer
// holds value, and may return early.
void SyncQueue::SleepWhile(std::atomic<std::uint32_t>& word, std::uint32_t value) {
  syscall(SYS_futex, &word, FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
}

void SyncQueue::WakeOne(std::atomic<std::uint32_t>& word) {
  syscall(SYS_futex, &word, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace helvanta
