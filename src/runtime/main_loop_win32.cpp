#include <windows.h>

#include <system_error>

#include "runtime/main_loop.hpp"

namespace helvanta {

namespace {

HANDLE HandleOf(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle.Value()); }

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace

std::int64_t MainLoop::MonotonicMs() { return static_cast<std::int64_t>(GetTickCount64()); }

std::int64_t MainLoop::WallMs() {
  FILETIME wall{};
  GetSystemTimePreciseAsFileTime(&wall);
  const auto hundreds = (static_cast<std::uint64_t>(wall.dwHighDateTime) << 32) | wall.dwLowDateTime;
  return static_cast<std::int64_t>(hundreds / 10'000);
}

// Windows waits on a list of handles passed at every wait, so the wait set is only the
// quit event here; the watched handles are signalled events or other waitable objects.
MainLoop::MainLoop(SyncQueue& queue) : queue_(queue) {
  HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (quit == nullptr) ThrowLastError("CreateEvent");
  quitWake_ = NativeHandle(reinterpret_cast<std::intptr_t>(quit));
}

MainLoop::~MainLoop() { CloseHandle(HandleOf(quitWake_)); }

void MainLoop::WatchHandle(NativeHandle handle, std::function<void()> onReadable) {
  // Two slots go to the queue and the quit event.
  if (!watched_.contains(handle) && watched_.size() + 2 >= MAXIMUM_WAIT_OBJECTS) {
    throw std::system_error(ERROR_TOO_MANY_OPEN_FILES, std::system_category(), "WatchHandle");
  }
  watched_[handle] = std::move(onReadable);
}

void MainLoop::UnwatchHandle(NativeHandle handle) { watched_.erase(handle); }

void MainLoop::WakeForQuit() { SetEvent(HandleOf(quitWake_)); }

void MainLoop::ResetQuitWake() { ResetEvent(HandleOf(quitWake_)); }

std::vector<NativeHandle> MainLoop::Wait(int waitMs) {
  std::vector<HANDLE> handles{HandleOf(queue_.WakeHandle()), HandleOf(quitWake_)};
  std::vector<NativeHandle> watched;
  for (const auto& [handle, fn] : watched_) {
    handles.push_back(HandleOf(handle));
    watched.push_back(handle);
  }
  const DWORD timeout = waitMs < 0 ? INFINITE : static_cast<DWORD>(waitMs);
  const DWORD count = static_cast<DWORD>(handles.size());
  const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, timeout);
  if (result == WAIT_FAILED) ThrowLastError("WaitForMultipleObjects");
  std::vector<NativeHandle> readable;
  if (result == WAIT_TIMEOUT) return readable;
  // The wait names the first signalled handle only; the later ones are asked without
  // waiting, so that the queue never starves a watched handle.
  const DWORD first = result - WAIT_OBJECT_0;
  if (first < count) {
    for (DWORD i = first; i < count; ++i) {
      if (i != first && WaitForSingleObject(handles[i], 0) != WAIT_OBJECT_0) continue;
      if (i == 0) {
        queue_.RunWoken();
      } else if (i >= 2) {
        readable.push_back(watched[i - 2]);
      }
    }
  }
  return readable;
}

}  // namespace helvanta
