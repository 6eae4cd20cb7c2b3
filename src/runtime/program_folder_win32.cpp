#include <windows.h>

#include <mutex>

#include "runtime/program_folder.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {
std::mutex gMutex;
std::string gFolder;
bool gSet = false;
}  // namespace

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

std::string ProgramFolder() {
  std::lock_guard lock(gMutex);
  if (!gSet) {
    const std::string exe = ExecutablePath();
    const auto slash = exe.rfind(kPathSeparator);
    gFolder = slash == std::string::npos ? std::string(".\\") : exe.substr(0, slash + 1);
    gSet = true;
  }
  return gFolder;
}

void SetProgramFolder(std::string folder) {
  if (!folder.empty() && folder.back() != kPathSeparator && folder.back() != '/') folder.push_back(kPathSeparator);
  std::lock_guard lock(gMutex);
  gFolder = std::move(folder);
  gSet = true;
}

}  // namespace helvanta
