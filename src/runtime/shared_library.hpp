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

// Loads a part's library while the program starts, before the serial line's thread and
// the outputs' threads run: wine damages its list of threads when a library with
// thread-local storage is loaded while threads come and go, as they do in its serial
// waits. A failure is left to the part's own start, which loads again and reports it.
template <typename Load>
void LoadEarly(Load load) noexcept {
  try {
    load();
  } catch (const std::exception&) {
    return;
  }
}

}  // namespace helvanta
