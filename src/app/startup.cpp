#include "app/startup.hpp"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/command_line.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

std::string ClassName(const std::type_info& type) {
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                              &std::free);
  return status == 0 && demangled ? demangled.get() : type.name();
}

std::string ModuleName() {
  const std::string path = ExecutablePath();
  const auto slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ApplicationErrorText(const std::exception& error, const std::string& module) {
  return "Application Error\nException " + ClassName(typeid(error)) + " in module " + module + ".\n" + error.what();
}

int RunProgram(const std::vector<std::string>& parameters, const TProgramHosts& hosts) {
  try {
    if (ServiceModeRequested(parameters)) return hosts.runService(ServiceSwitches(parameters));
    return hosts.runWindow();
  } catch (const std::exception& error) {
    if (ServiceModeRequested(parameters)) {
      std::fprintf(stderr, "%s\n", ApplicationErrorText(error, ModuleName()).c_str());
    } else {
      hosts.reportWindowError(std::current_exception());
    }
  }
  return 0;
}

}  // namespace helvanta
