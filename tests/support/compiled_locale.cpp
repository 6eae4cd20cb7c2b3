#include "support/compiled_locale.hpp"

#include <stdlib.h>

#include <clocale>
#include <stdexcept>
#include <vector>

#include "support/spawn_posix.hpp"

namespace helvanta::testing {

namespace {

// Runs localedef with its output in logPath; its exit code, or -1 when it did not run.
int RunLocaledef(const std::string& source, const std::string& charmap, const std::string& output,
                 const std::string& logPath) {
  const pid_t pid = SpawnWithOutput({"localedef", "-i", source, "-f", charmap, output}, logPath);
  return pid < 0 ? -1 : WaitExit(pid);
}

}  // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const std::string& name, const std::string& value) : name_(name) {
  if (const char* previous = getenv(name.c_str())) previous_ = previous;
  setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  if (previous_) {
    setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

CompiledLocale::CompiledLocale(const std::string& source, const std::string& charmap) : name_(source + "." + charmap) {
  const int code = RunLocaledef(source, charmap, folder_.File(name_), folder_.File("localedef.log"));
  // Exit code 1 means warnings only; the locale was written all the same.
  if ((code != 0 && code != 1) || !folder_.Exists(name_ + "/LC_TIME")) {
    const std::string log = folder_.ReadFile("localedef.log");
    const std::string outcome = code < 0 ? "it did not run" : "exit code " + std::to_string(code);
    throw std::runtime_error("localedef could not compile " + name_ + " (" + outcome +
                             "; the locales package provides the sources): " + log);
  }
  locpath_.emplace("LOCPATH", folder_.Path());
}

ScopedLocale::ScopedLocale(int category, const std::string& name)
    : category_(category), previous_(std::setlocale(category, nullptr)) {
  if (std::setlocale(category, name.c_str()) == nullptr) {
    throw std::runtime_error("setlocale does not accept \"" + name + "\"");
  }
}

ScopedLocale::~ScopedLocale() { std::setlocale(category_, previous_.c_str()); }

}  // namespace helvanta::testing
