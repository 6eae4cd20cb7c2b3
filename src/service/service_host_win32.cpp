#include <windows.h>

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>

#include "config/settings.hpp"
#include "runtime/main_loop.hpp"
#include "runtime/program_folder.hpp"
#include "runtime/wide_text_win32.hpp"
#include "service/guarded_handler.hpp"
#include "service/helvanta_service.hpp"
#include "service/service_host.hpp"
#include "service/service_installer.hpp"
#include "service/service_messages.hpp"
#include "service/service_status_win32.hpp"
#include "service/syslog_event_log.hpp"
#include "service/windows_event_log.hpp"

namespace helvanta {

namespace {

int Install(bool silent) {
  // The output folder is checked before the service is created, so the settings are read first.
  if (SettingsFileExists()) LoadSettings();
  ValidateSettings();
  const TServiceInstallResult result =
      InstallService(DefaultInstallPlace(), {ExecutablePath(), ProgramFolder(), AppSettings.OutputFolder});
  return ReportInstallResult(result, silent);
}

int Uninstall(bool silent) {
  const TServiceInstallResult result = UninstallService(DefaultInstallPlace());
  return ReportInstallResult(result, silent);
}

// How the host tells the outside about the service's state: the control manager, or
// nobody for a run from a console.
class TStateReport {
 public:
  virtual ~TStateReport() = default;
  virtual void Running() = 0;
  virtual void Stopping() = 0;
};

// Starts the service, runs the main loop until a stop arrives through MainLoop::Quit and
// stops the service on this thread between two ticks. A stop that fails leaves the
// service running, as before the stop. Returns the exit code.
int RunUntilStopped(MainLoop& loop, TEventLog& eventLog, TStateReport& report) {
  THelvantaService service(loop, eventLog);
  try {
    service.ServiceStart();
  } catch (...) {
    eventLog.Write(TEventType::etError, ServiceFailedMessage("start", ExceptionMessage(std::current_exception())));
    return 1;
  }
  // Running once started. A port that would not open is tried again by the tick, so the
  // service runs on instead of failing, each start with its own error event.
  report.Running();
  for (;;) {
    loop.Run();
    report.Stopping();
    try {
      service.ServiceStop();
      return 0;
    } catch (...) {
      eventLog.Write(TEventType::etError, ServiceFailedMessage("stop", ExceptionMessage(std::current_exception())));
      report.Running();
    }
  }
}

// The service under the control manager. The control handler runs on the dispatcher's
// thread (the program's main thread), the service itself on the thread that the control
// manager starts it on, which therefore runs the main loop and its hand-over queue.
struct TControlledService {
  TServiceStatusReporter* status = nullptr;
  TEventLog* eventLog = nullptr;
  // Guarded, so that a control never reaches a loop that is going away.
  std::mutex loopMutex;
  MainLoop* loop = nullptr;
  int exitCode = 0;
};
TControlledService gService;

void ReportStatus(DWORD state, bool failed = false) {
  if (const DWORD error = gService.status->Report(state, failed); error != 0) {
    gService.eventLog->Write(TEventType::etError, WindowsErrorText(error));
  }
}

void SetServiceLoop(MainLoop* loop) {
  const std::lock_guard lock(gService.loopMutex);
  gService.loop = loop;
}

class TControlManagerReport final : public TStateReport {
 public:
  void Running() override { ReportStatus(SERVICE_RUNNING); }
  void Stopping() override { ReportStatus(SERVICE_STOP_PENDING); }
};

DWORD WINAPI ControlHandler(DWORD control, DWORD /*eventType*/, void* /*eventData*/, void* /*context*/) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      // Stop pending at once, so that the control manager waits for the orderly stop. Once
      // the loop is gone the service is stopping already.
      if (const std::lock_guard lock(gService.loopMutex); gService.loop != nullptr) {
        ReportStatus(SERVICE_STOP_PENDING);
        gService.loop->Quit(0);
      }
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD /*argc*/, wchar_t** /*argv*/) {
  TWindowsEventLog eventLog(false);
  gService.eventLog = &eventLog;
  const SERVICE_STATUS_HANDLE handle =
      RegisterServiceCtrlHandlerExW(WideOf(kServiceName).c_str(), ControlHandler, nullptr);
  if (handle == nullptr) {
    eventLog.Write(TEventType::etError, WindowsErrorText(GetLastError()));
    gService.exitCode = 1;
    return;
  }
  TServiceStatusReporter status(handle);
  gService.status = &status;
  ReportStatus(SERVICE_START_PENDING);
  MainSyncQueue().BindToCurrentThread();
  {
    MainLoop loop;
    SetServiceLoop(&loop);
    ReportStatus(SERVICE_START_PENDING);
    TControlManagerReport report;
    gService.exitCode = RunUntilStopped(loop, eventLog, report);
    SetServiceLoop(nullptr);
  }
  ReportStatus(SERVICE_STOPPED, gService.exitCode != 0);
}

// Started from a console: Ctrl+C, Ctrl+Break and closing the console stop the service in
// order. Closing, logging off and shutting down end the process once the handler returns,
// so for these the handler waits until the stop is done.
class TConsoleStop final : public TStateReport {
 public:
  explicit TConsoleStop(MainLoop& loop) {
    stopped_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopped_ == nullptr) throw std::runtime_error("CreateEvent failed: " + WindowsErrorText(GetLastError()));
    gStopped = stopped_;
    SetLoop(&loop);
    if (!SetConsoleCtrlHandler(OnControl, TRUE)) {
      const DWORD error = GetLastError();
      SetLoop(nullptr);
      CloseHandle(stopped_);
      throw std::runtime_error("SetConsoleCtrlHandler failed: " + WindowsErrorText(error));
    }
  }
  ~TConsoleStop() override {
    SetEvent(stopped_);
    SetConsoleCtrlHandler(OnControl, FALSE);
    SetLoop(nullptr);
  }
  TConsoleStop(const TConsoleStop&) = delete;
  TConsoleStop& operator=(const TConsoleStop&) = delete;

  void Running() override {}
  void Stopping() override {}

 private:
  static BOOL WINAPI OnControl(DWORD event) {
    {
      const std::lock_guard lock(gLoopMutex);
      if (gLoop != nullptr) gLoop->Quit(0);
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
      WaitForSingleObject(gStopped, INFINITE);
    }
    return TRUE;
  }

  // Guarded, so that the handler's thread never reaches a loop that is going away.
  static void SetLoop(MainLoop* loop) {
    const std::lock_guard lock(gLoopMutex);
    gLoop = loop;
  }

  // The handle stays open for a handler still waiting on it while the process ends.
  HANDLE stopped_ = nullptr;
  static inline std::mutex gLoopMutex;
  static inline MainLoop* gLoop = nullptr;
  static inline HANDLE gStopped = nullptr;
};

int RunFromConsole() {
  TWindowsEventLog eventLog(true);
  MainLoop loop;
  TConsoleStop consoleStop(loop);
  return RunUntilStopped(loop, eventLog, consoleStop);
}

int RunService() {
  std::wstring name = WideOf(kServiceName);
  const SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherW(table)) return gService.exitCode;
  const DWORD error = GetLastError();
  // Started by hand rather than by the control manager: the service runs in the
  // foreground, as on Linux.
  if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return RunFromConsole();
  TWindowsEventLog(true).Write(TEventType::etError, WindowsErrorText(error));
  return 1;
}

}  // namespace

int RunServiceHost(const TServiceSwitches& switches) {
  if (switches.install) return Install(switches.silent);
  if (switches.uninstall) return Uninstall(switches.silent);
  return RunService();
}

}  // namespace helvanta
