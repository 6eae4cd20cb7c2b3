#include <windows.h>

#include <cstdint>
#include <system_error>

#include "runtime/sync_queue.hpp"
#include "serial/comport.hpp"
#include "serial/comthread.hpp"
#include "serial/serial_device.hpp"

namespace helvanta {
namespace {

HANDLE HandleOf(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle.Value()); }

int Win32Priority(TThreadPriority priority) {
  switch (priority) {
    case TThreadPriority::tpIdle: return THREAD_PRIORITY_IDLE;
    case TThreadPriority::tpLowest: return THREAD_PRIORITY_LOWEST;
    case TThreadPriority::tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
    case TThreadPriority::tpNormal: return THREAD_PRIORITY_NORMAL;
    case TThreadPriority::tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
    case TThreadPriority::tpHighest: return THREAD_PRIORITY_HIGHEST;
    case TThreadPriority::tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

void ApplyPriority(TThreadPriority priority) {
  if (priority == TThreadPriority::tpNormal) return;
  // The priority is a hint: where it cannot be set the thread runs at normal priority.
  [[maybe_unused]] const BOOL set = ::SetThreadPriority(::GetCurrentThread(), Win32Priority(priority));
}

// A manual-reset event that closes itself.
class Event {
 public:
  Event() : handle_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() {
    if (handle_ != nullptr) ::CloseHandle(handle_);
  }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// How often the thread looks at the device again when a wait cannot be kept up: bytes
// that the last delivery did not take, or a wait that the driver ended early.
constexpr DWORD kUntakenBytesRecheckMs = 50;

}  // namespace

TComThread::TComThread(TCustomComPort* port)
    : port_(port),
      deviceHandle_(port->device_->Handle()),
      mask_(port->Events()),
      syncMethod_(port->SyncMethod()),
      priority_(port->EventThreadPriority()) {
  const HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (stop == nullptr) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateEvent");
  }
  stopHandle_ = NativeHandle(reinterpret_cast<std::intptr_t>(stop));
  try {
    thread_ = std::thread([this] { Execute(); });
  } catch (...) {
    ::CloseHandle(stop);
    throw;
  }
}

TComThread::~TComThread() {
  Stop();
  SyncQueue& queue = MainSyncQueue();
  if (queue.OnOwnerThread()) queue.ServeUntil([this] { return ended_.load(); });
  thread_.join();
  ::CloseHandle(HandleOf(stopHandle_));
}

void TComThread::Stop() {
  // Setting an event that is set already changes nothing, so a failure loses nothing.
  [[maybe_unused]] const BOOL set = ::SetEvent(HandleOf(stopHandle_));
  std::this_thread::yield();
}

void TComThread::Execute() {
  ApplyPriority(priority_);
  try {
    Loop();
    // The device is closed right after; a failure to drop its buffers changes nothing.
    [[maybe_unused]] const BOOL purged = ::PurgeComm(HandleOf(deviceHandle_), PURGE_RXCLEAR | PURGE_TXCLEAR);
  } catch (...) {
    // An error raised by a delivery ends the thread without a report: the port stays
    // open and hears nothing more until it is closed and opened again.
  }
  ended_ = true;
  MainSyncQueue().Wake();
}

int TComThread::WaitingBytes() const {
  COMSTAT status{};
  DWORD errors = 0;
  return ::ClearCommError(HandleOf(deviceHandle_), &errors, &status) ? static_cast<int>(status.cbInQue) : -1;
}

void TComThread::Loop() {
  const HANDLE device = HandleOf(deviceHandle_);
  const HANDLE stop = HandleOf(stopHandle_);
  const bool wantInput = mask_.Contains(TComEvent::evRxChar);
  // Sleeps on the stop signal; true when it came.
  auto stopped = [stop](DWORD milliseconds) { return ::WaitForSingleObject(stop, milliseconds) != WAIT_TIMEOUT; };
  Event commEvent;
  // Without input wanted the wait still ends when the device goes away.
  bool lineGone = commEvent.Get() == nullptr || !::SetCommMask(device, wantInput ? EV_RXCHAR : EV_ERR);
  bool untaken = false;  // bytes wait that the last delivery did not take
  int untakenCount = 0;
  while (!lineGone) {
    bool input = false;
    if (untaken) {
      // wine reports input for as long as bytes wait, so a wait would end at once again
      // and again: look whether more have come instead.
      if (stopped(kUntakenBytesRecheckMs)) return;
      const int waiting = WaitingBytes();
      lineGone = waiting < 0;
      input = waiting != untakenCount;
    } else {
      OVERLAPPED overlapped{};
      overlapped.hEvent = commEvent.Get();
      DWORD events = 0;
      DWORD error = ERROR_SUCCESS;
      if (!::WaitCommEvent(device, &events, &overlapped)) error = ::GetLastError();
      if (error == ERROR_IO_PENDING) {
        const HANDLE waited[2] = {stop, commEvent.Get()};
        const DWORD woken = ::WaitForMultipleObjects(2, waited, FALSE, INFINITE);
        DWORD ignored = 0;
        if (woken != WAIT_OBJECT_0 + 1) {
          // Stopped (or the wait itself failed): the overlapped record must outlive the
          // cancelled wait.
          ::CancelIo(device);
          ::GetOverlappedResult(device, &overlapped, &ignored, TRUE);
          if (woken == WAIT_OBJECT_0) return;
          error = ::GetLastError();
        } else {
          error = ::GetOverlappedResult(device, &overlapped, &ignored, FALSE) ? ERROR_SUCCESS : ::GetLastError();
        }
      }
      if (stopped(0)) return;  // the stop signal wins over line events
      if (error == ERROR_OPERATION_ABORTED && WaitingBytes() >= 0) {
        // The driver ended the wait but the device still answers: wine does so for a port
        // without modem lines, a few milliseconds into every wait. An adapter pulled
        // fails the question as well.
        if (stopped(kUntakenBytesRecheckMs)) return;
        continue;
      }
      // Any other failure means the device is gone (an adapter pulled answers bad
      // command or access denied), and every later wait would fail at once.
      lineGone = error != ERROR_SUCCESS;
      input = (events & EV_RXCHAR) != 0;
    }
    // Told before the delivery, which may fail on the dead device and end this thread.
    if (lineGone) port_->hungUp_ = true;
    if (!wantInput || !(input || lineGone)) continue;
    untaken = false;
    lastEvents_ = TComEvents{TComEvent::evRxChar}.Bits();
    const std::uint64_t readsBefore = port_->readCount_.load();
    DispatchComMsg();
    // Nothing taken and nothing new since the delivery counted the bytes: wait for a
    // change instead of for the device.
    const int told = port_->rxCountTold_.load();
    if (!lineGone && port_->readCount_.load() == readsBefore && told > 0 && WaitingBytes() == told) {
      untakenCount = told;
      untaken = true;
    }
  }
  // Also where the wait could not even be set up: a port that hears nothing is reported
  // the way a gone line is, so that the host opens it again.
  port_->hungUp_ = true;
  ::WaitForSingleObject(stop, INFINITE);
}

void TComThread::DispatchComMsg() {
  const TComEvents events = Events();
  const std::function<void()> deliver = [this, events] { port_->DoEvents(events); };
  // Without a notification window, window-message delivery also goes through the
  // main thread's hand-over queue.
  if (syncMethod_ == TSyncMethod::smNone) {
    deliver();
  } else {
    MainSyncQueue().Synchronize(deliver);
  }
}

}  // namespace helvanta
