#include "runtime/program_folder.hpp"

#include <mutex>

namespace helvanta {

namespace {
std::mutex gMutex;
std::string gFolder;
bool gSet = false;
}  // namespace

std::string ProgramFolder() {
  std::lock_guard lock(gMutex);
  if (!gSet) {
    const std::string exe = ExecutablePath();
    const auto slash = exe.rfind(kPathSeparator);
    gFolder = slash == std::string::npos ? std::string(".") + kPathSeparator : exe.substr(0, slash + 1);
    gSet = true;
  }
  return gFolder;
}

void SetProgramFolder(std::string folder) {
  // Windows takes either separator in a folder given to it.
  if (!folder.empty() && folder.back() != kPathSeparator && folder.back() != '/') folder.push_back(kPathSeparator);
  std::lock_guard lock(gMutex);
  gFolder = std::move(folder);
  gSet = true;
}

}  // namespace helvanta
