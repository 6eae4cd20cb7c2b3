#include <string>
#include <vector>

#include "app/startup.hpp"
#include "app/window_error.hpp"
#include "app/window_program.hpp"
#include "service/service_host.hpp"

// helvanta: the command users run. It answers --help and --version, runs the service, and
// for window mode hands over to helvanta-window, so that it never loads Qt itself.
int main(int argc, char** argv) {
  using namespace helvanta;
  PrepareProgram();
  TProgramHosts hosts;
  hosts.runWindow = [argv] { return StartWindowProgram(argv); };
  hosts.runService = RunServiceHost;
  hosts.reportWindowError = ReportWindowError;
  return RunProgram(std::vector<std::string>(argv + 1, argv + argc), hosts);
}
