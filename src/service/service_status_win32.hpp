#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#endif
#include <windows.h>

#include <mutex>

namespace helvanta {

// How long the control manager is to wait for a pending start or stop to move on.
inline constexpr DWORD kServiceWaitHintMs = 5000;

// The status reported for a state: the controls accepted (stop and shutdown; none while
// the start is pending or once stopped), the wait hint and check point of a pending
// state, and the exit code once stopped (0, or failed as the service's own code 1).
SERVICE_STATUS ServiceStatusFor(DWORD state, DWORD checkPoint, bool failed);

// Tells the control manager the service's state through SetServiceStatus, from the
// service's thread and the control handler alike, as the systemd notification does on
// Linux. The check point counts up while a pending state is reported again.
class TServiceStatusReporter {
 public:
  explicit TServiceStatusReporter(SERVICE_STATUS_HANDLE handle) : handle_(handle) {}

  // The system's error code, 0 when reported.
  DWORD Report(DWORD state, bool failed = false);

 private:
  SERVICE_STATUS_HANDLE handle_;
  std::mutex mutex_;
  DWORD state_ = 0;
  DWORD checkPoint_ = 0;
};

}  // namespace helvanta
