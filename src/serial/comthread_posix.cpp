#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "runtime/native_handle_posix.hpp"
#include "runtime/sync_queue.hpp"
#include "serial/comport.hpp"
#include "serial/comthread.hpp"
#include "serial/serial_device.hpp"

namespace helvanta {
namespace {

// How often a thread whose waiting bytes nobody takes looks whether more have come.
// Bytes that stay in the driver keep the device readable, so waiting on it would wake
// the thread at once, again and again.
constexpr int kUntakenBytesRecheckMs = 50;

int NiceValue(TThreadPriority priority) {
  switch (priority) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -20;
  }
  return 0;
}

void ApplyPriority(TThreadPriority priority) {
  if (priority == TThreadPriority::tpNormal) return;
  // The priority is a hint: where raising it needs privileges the process lacks, the
  // thread simply runs at normal priority.
  [[maybe_unused]] const int result = ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), NiceValue(priority));
}

}  // namespace

TComThread::TComThread(TCustomComPort* port)
    : port_(port),
      deviceHandle_(port->device_->Handle()),
      mask_(port->Events()),
      syncMethod_(port->SyncMethod()),
      priority_(port->EventThreadPriority()) {
  stopHandle_ = HandleOfFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!stopHandle_.IsValid()) throw std::system_error(errno, std::generic_category(), "eventfd");
  try {
    thread_ = std::thread([this] { Execute(); });
  } catch (...) {
    ::close(FdOf(stopHandle_));
    throw;
  }
}

TComThread::~TComThread() {
  Stop();
  SyncQueue& queue = MainSyncQueue();
  if (queue.OnOwnerThread()) queue.ServeUntil([this] { return ended_.load(); });
  thread_.join();
  ::close(FdOf(stopHandle_));
}

void TComThread::Stop() {
  const std::uint64_t one = 1;
  // A full counter still leaves the descriptor readable, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = ::write(FdOf(stopHandle_), &one, sizeof one);
  std::this_thread::yield();
}

void TComThread::Execute() {
  ApplyPriority(priority_);
  try {
    Loop();
    // The device is closed right after; a failure to drop its buffers changes nothing.
    [[maybe_unused]] const int purged = ::tcflush(FdOf(deviceHandle_), TCIOFLUSH);
  } catch (...) {
    // An error raised by a delivery ends the thread without a report: the port stays
    // open and hears nothing more until it is closed and opened again.
  }
  ended_ = true;
  MainSyncQueue().Wake();
}

int TComThread::WaitingBytes() const {
  int count = 0;
  return ::ioctl(FdOf(deviceHandle_), FIONREAD, &count) == 0 ? count : 0;
}

void TComThread::Loop() {
  const bool wantInput = mask_.Contains(TComEvent::evRxChar);
  bool hungUp = false;   // the device reported a hang-up: only the stop signal counts now
  bool untaken = false;  // bytes wait that the last delivery did not take
  int untakenCount = 0;
  for (;;) {
    std::array<pollfd, 2> fds{{{FdOf(stopHandle_), POLLIN, 0},
                               {FdOf(deviceHandle_), static_cast<short>(wantInput && !untaken ? POLLIN : 0), 0}}};
    const nfds_t watched = hungUp ? 1 : 2;
    const int timeout = untaken && !hungUp ? kUntakenBytesRecheckMs : -1;
    const int ready = ::poll(fds.data(), watched, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) return;  // the stop signal wins over line events
    if (hungUp) continue;
    const short device = fds[1].revents;
    const bool hangUp = (device & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    // Told before the delivery, which may fail on the dead device and end this thread.
    if (hangUp) port_->hungUp_ = true;
    if (untaken) {
      if (WaitingBytes() != untakenCount) untaken = false;
    } else if ((device & POLLIN) != 0) {
      lastEvents_ = TComEvents{TComEvent::evRxChar}.Bits();
      const std::uint64_t readsBefore = port_->readCount_.load();
      DispatchComMsg();
      // Nothing taken and nothing new since the delivery counted the bytes: wait for a
      // change instead of for the device. Bytes that came after the count are reported by
      // the next wait at once.
      const int told = port_->rxCountTold_.load();
      if (port_->readCount_.load() == readsBefore && told > 0 && WaitingBytes() == told) {
        untakenCount = told;
        untaken = true;
      }
    }
    if (hangUp) hungUp = true;
  }
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
