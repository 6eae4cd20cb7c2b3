#include <windows.h>

#include <system_error>

#include "runtime/sync_queue.hpp"

namespace helvanta {

namespace {

HANDLE HandleOf(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle.Value()); }

}  // namespace

// An auto-reset event: a wait that it ends also resets it, as the main loop's edge-
// triggered wait on the queue needs.
SyncQueue::SyncQueue() : owner_(std::this_thread::get_id()) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
  wake_ = NativeHandle(reinterpret_cast<std::intptr_t>(event));
}

SyncQueue::~SyncQueue() { CloseHandle(HandleOf(wake_)); }

void SyncQueue::SignalWake() { SetEvent(HandleOf(wake_)); }

void SyncQueue::DrainWake() { ResetEvent(HandleOf(wake_)); }

// WaitOnAddress returns at once when the word no longer holds value, and may return early.
void SyncQueue::SleepWhile(std::atomic<std::uint32_t>& word, std::uint32_t value) {
  WaitOnAddress(&word, &value, sizeof value, INFINITE);
}

void SyncQueue::WakeOne(std::atomic<std::uint32_t>& word) { WakeByAddressSingle(&word); }

}  // namespace helvanta
