#include <windows.h>

#include "runtime/program_folder.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

std::string ExecutablePath() {
  // Paths may be longer than MAX_PATH; the call says so by filling the whole buffer.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return Utf8Of(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace helvanta
