#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <stdexcept>
#include <string>

#include "ui/stop_signals.hpp"

namespace helvanta {

namespace {

// Read and written on the main thread only: the console handler's own thread just queues
// a call into Qt's loop.
std::function<void()>* gOnStop = nullptr;
// Set once the window has stopped; closing the console ends the process as soon as the
// handler returns, so the handler waits for it.
HANDLE gStopped = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [] {
        if (gOnStop != nullptr) (*gOnStop)();
      },
      Qt::QueuedConnection);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(gStopped, INFINITE);
  }
  return TRUE;
}

}  // namespace

// Ctrl+C, Ctrl+Break and closing the console of a window started from one take the place
// of SIGINT and SIGTERM.
struct TWindowStopSignals::TImpl {
  std::function<void()> onStop;
  // Stays open for a handler still waiting on it while the process ends.
  HANDLE stopped = nullptr;
};

TWindowStopSignals::TWindowStopSignals(std::function<void()> onStop) : impl_(std::make_unique<TImpl>()) {
  impl_->onStop = std::move(onStop);
  impl_->stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (impl_->stopped == nullptr)
    throw std::runtime_error("CreateEvent failed (win error code: " + std::to_string(GetLastError()) + ")");
  gStopped = impl_->stopped;
  gOnStop = &impl_->onStop;
  if (!SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
    const DWORD error = GetLastError();
    gOnStop = nullptr;
    CloseHandle(impl_->stopped);
    throw std::runtime_error("SetConsoleCtrlHandler failed (win error code: " + std::to_string(error) + ")");
  }
}

TWindowStopSignals::~TWindowStopSignals() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  gOnStop = nullptr;
  SetEvent(impl_->stopped);
}

}  // namespace helvanta
