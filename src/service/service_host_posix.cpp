#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "config/file_locations.hpp"
#include "config/mqtt_settings.hpp"
#include "config/settings.hpp"
#include "config/web_settings.hpp"
#include "runtime/main_loop.hpp"
#include "runtime/native_handle_posix.hpp"
#include "runtime/program_folder.hpp"
#include "service/guarded_handler.hpp"
#include "service/helvanta_service.hpp"
#include "service/service_host.hpp"
#include "service/service_installer.hpp"
#include "service/service_messages.hpp"
#include "service/syslog_event_log.hpp"
#include "service/systemd_notify_posix.hpp"

namespace helvanta {

namespace {

// The package ships the unit; a second one in /etc/systemd/system would hide it.
bool RefusedForPackage() {
  if (!CurrentFileLocations().installed) return false;
  std::fprintf(stderr,
               "helvanta: this copy is installed with its unit; use systemctl enable --now HelvantaService "
               "(or disable --now), and systemctl edit HelvantaService to change it\n");
  return true;
}

int Install(bool silent) {
  if (RefusedForPackage()) return 1;
  // The unit opens up the configured log folder, so the settings are read first.
  if (SettingsFileExists()) LoadSettings();
  ValidateSettings();
  std::vector<TReplacedSetting> ignored;
  const bool network = !LoadMqttSettings().Host.empty() || LoadWebSettings(ignored).Enabled;
  const TServiceInstallResult result =
      InstallService(DefaultInstallPlace(), {ExecutablePath(), ProgramFolder(), AppSettings.OutputFolder, network});
  return ReportInstallResult(result, silent);
}

int Uninstall(bool silent) {
  if (RefusedForPackage()) return 1;
  const TServiceInstallResult result = UninstallService(DefaultInstallPlace());
  return ReportInstallResult(result, silent);
}

// SIGTERM (the stop control) and SIGINT (Ctrl-C) arrive through a descriptor that the
// main loop watches, so stopping happens on the main thread between two ticks. The
// signals are blocked before any thread starts, so every later thread inherits the mask.
class TStopSignals {
 public:
  TStopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &set_, &previous_) != 0) throw std::runtime_error("pthread_sigmask failed");
    fd_ = signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) {
      const int error = errno;
      pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
      throw std::system_error(error, std::generic_category(), "signalfd");
    }
  }
  // The signals stay blocked: the service is ending, and a second stop signal (a stop
  // and a shutdown at once) waiting in the mask would otherwise kill it on the way out,
  // with a signal's exit status after an orderly stop.
  ~TStopSignals() { close(fd_); }
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  int Fd() const { return fd_; }
  // Takes every waiting signal; true when there was one.
  bool Take() {
    signalfd_siginfo info{};
    bool any = false;
    while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
    return any;
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
  int fd_ = -1;
};

int RunService() {
  // systemd sets INVOCATION_ID for its services; started by hand, the events also go
  // to the terminal.
  const bool byHand = std::getenv("INVOCATION_ID") == nullptr;
  TSyslogEventLog eventLog(byHand);
  TStopSignals stopSignals;
  MainLoop loop;
  THelvantaService service(loop, eventLog);

  try {
    service.ServiceStart();
  } catch (...) {
    eventLog.Write(TEventType::etError, ServiceFailedMessage("start", ExceptionMessage(std::current_exception())));
    return 1;
  }
  // Ready once started. A port that would not open is tried again by the tick, so the
  // service runs on instead of failing into restarts, each with its own error event.
  NotifySystemd("READY=1");

  loop.WatchHandle(HandleOfFd(stopSignals.Fd()), [&] {
    if (!stopSignals.Take()) return;
    NotifySystemd("STOPPING=1");
    try {
      service.ServiceStop();
      loop.Quit(0);
    } catch (...) {
      eventLog.Write(TEventType::etError, ServiceFailedMessage("stop", ExceptionMessage(std::current_exception())));
      // The service goes on running, as before the stop control.
      NotifySystemd("READY=1");
    }
  });
  return loop.Run();
}

}  // namespace

int RunServiceHost(const TServiceSwitches& switches) {
  if (switches.install) return Install(switches.silent);
  if (switches.uninstall) return Uninstall(switches.silent);
  return RunService();
}

}  // namespace helvanta
