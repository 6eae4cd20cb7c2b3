#pragma once

namespace helvanta {

// What the service switches asked for.
struct TServiceSwitches {
  bool install = false;
  bool uninstall = false;
  bool silent = false;
};

// Installs or removes the systemd unit, or runs the service until SIGTERM (or Ctrl-C
// when started by hand). Returns the process's exit code: non-zero when an install,
// an uninstall or the start failed.
int RunServiceHost(const TServiceSwitches& switches);

}  // namespace helvanta
