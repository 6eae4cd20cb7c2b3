#pragma once

#include <stdexcept>
#include <string>

namespace helvanta {

class ESharedLibrary : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A library loaded while the program runs, for a part that only some settings use: the
// program then pays for it (and for everything it pulls in) only when that part is on.
class SharedLibrary {
 public:
  // Loads the library by its file name; throws ESharedLibrary with the system's reason.
  explicit SharedLibrary(const std::string& name);
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  // The library stays loaded until the process ends: threads may still run its code.
  ~SharedLibrary() = default;

  // The function of that name; throws ESharedLibrary when the library lacks it.
  template <typename Function>
  Function* Find(const char* symbol) const {
    return reinterpret_cast<Function*>(Address(symbol));
  }

 private:
  void* Address(const char* symbol) const;

  std::string name_;
  void* handle_;
};

}  // namespace helvanta
