#include <windows.h>

#include "runtime/program_folder.hpp"
#include "runtime/shared_library.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {

// From the program's own folder by its full path, never from the current folder or PATH,
// where anyone could place a library of the same name; the libraries it needs in turn
// are looked for beside it first.
HMODULE LoadBesideProgram(const std::string& name) {
  return LoadLibraryExW(WideOf(ProgramFolder() + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

SharedLibrary::SharedLibrary(const std::string& name) : name_(name), handle_(LoadBesideProgram(name)) {
  if (handle_ == nullptr) throw ESharedLibrary("cannot load " + name + ": " + SystemMessage(GetLastError()));
}

void* SharedLibrary::Address(const char* symbol) const {
  const FARPROC address = GetProcAddress(static_cast<HMODULE>(handle_), symbol);
  if (address == nullptr) throw ESharedLibrary(name_ + " lacks " + symbol + ": " + SystemMessage(GetLastError()));
  return reinterpret_cast<void*>(address);
}

}  // namespace helvanta
