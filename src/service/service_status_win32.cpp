#include "service/service_status_win32.hpp"

namespace helvanta {

SERVICE_STATUS ServiceStatusFor(DWORD state, DWORD checkPoint, bool failed) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  const bool controllable = state == SERVICE_RUNNING || state == SERVICE_STOP_PENDING;
  status.dwControlsAccepted = controllable ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
  status.dwWaitHint = pending ? kServiceWaitHintMs : 0;
  status.dwCheckPoint = pending ? checkPoint : 0;
  if (failed) {
    status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = 1;
  }
  return status;
}

DWORD TServiceStatusReporter::Report(DWORD state, bool failed) {
  const std::lock_guard lock(mutex_);
  checkPoint_ = state == state_ ? checkPoint_ + 1 : 1;
  state_ = state;
  SERVICE_STATUS status = ServiceStatusFor(state, checkPoint_, failed);
  return SetServiceStatus(handle_, &status) ? 0 : GetLastError();
}

}  // namespace helvanta
