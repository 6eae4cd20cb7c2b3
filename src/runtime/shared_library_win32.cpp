#include <windows.h>

#include "runtime/shared_library.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {

// The program's own folder and System32 only: never the current folder or PATH, where
// anyone could place a library of the same name.
constexpr DWORD kSearch = LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

}  // namespace

SharedLibrary::SharedLibrary(const std::string& name)
    : name_(name), handle_(LoadLibraryExW(WideOf(name).c_str(), nullptr, kSearch)) {
  if (handle_ == nullptr) throw ESharedLibrary("cannot load " + name + ": " + SystemMessage(GetLastError()));
}

void* SharedLibrary::Address(const char* symbol) const {
  const FARPROC address = GetProcAddress(static_cast<HMODULE>(handle_), symbol);
  if (address == nullptr) throw ESharedLibrary(name_ + " lacks " + symbol + ": " + SystemMessage(GetLastError()));
  return reinterpret_cast<void*>(address);
}

}  // namespace helvanta
