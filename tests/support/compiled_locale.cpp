#include "support/compiled_locale.hpp"

#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
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

CompiledLocale::CompiledLocale(const std::string& source, const std::string& charmap)
    : name_(source + "." + charmap) {
  std::string pattern = (std::filesystem::temp_directory_path() / "helvanta-locale-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  const std::string logPath = folder_ + "/localedef.log";
  const int code = RunLocaledef(source, charmap, folder_ + "/" + name_, logPath);
  // Exit code 1 means warnings only; the locale was written all the same.
  if ((code != 0 && code != 1) || !std::filesystem::exists(folder_ + "/" + name_ + "/LC_TIME")) {
    std::ifstream in(logPath);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    const std::string outcome = code < 0 ? "it did not run" : "exit code " + std::to_string(code);
    throw std::runtime_error("localedef could not compile " + name_ + " (" + outcome +
                             "; the locales package provides the sources): " + log);
  }
  locpath_.emplace("LOCPATH", folder_);
}

CompiledLocale::~CompiledLocale() {
  locpath_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

ScopedLocale::ScopedLocale(int category, const std::string& name)
    : category_(category), previous_(std::setlocale(category, nullptr)) {
  if (std::setlocale(category, name.c_str()) == nullptr) {
    throw std::runtime_error("setlocale does not accept \"" + name + "\"");
  }
}

ScopedLocale::~ScopedLocale() { std::setlocale(category_, previous_.c_str()); }

}  // namespace helvanta::testing
