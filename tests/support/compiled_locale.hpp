#pragma once

#include <optional>
#include <string>

#include "support/temp_folder.hpp"

namespace helvanta::testing {

// An environment variable of this process set for the lifetime of the object; the
// previous value, or its absence, comes back at the end.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const std::string& name, const std::string& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// A locale compiled with localedef from the system's locale sources into a folder of
// its own, so that no test depends on the locales the machine has installed. While it
// lives, LOCPATH names that folder and setlocale finds the locale under Name().
class CompiledLocale {
 public:
  // ("de_DE", "UTF-8") gives "de_DE.UTF-8". Throws std::runtime_error with localedef's
  // output when the locale cannot be compiled.
  CompiledLocale(const std::string& source, const std::string& charmap);
  CompiledLocale(const CompiledLocale&) = delete;
  CompiledLocale& operator=(const CompiledLocale&) = delete;

  const std::string& Name() const { return name_; }

 private:
  TempFolder folder_;
  std::string name_;
  std::optional<ScopedEnvironmentVariable> locpath_;
};

// One category of the process locale set for the lifetime of the object; the previous
// setting comes back at the end. Throws std::runtime_error when setlocale refuses the name.
class ScopedLocale {
 public:
  ScopedLocale(int category, const std::string& name);
  ~ScopedLocale();
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  int category_;
  std::string previous_;
};

}  // namespace helvanta::testing
