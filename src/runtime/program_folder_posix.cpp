#include <unistd.h>

#include <climits>
#include <mutex>

#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {
std::mutex gMutex;
std::string gFolder;
bool gSet = false;
}  // namespace

std::string ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string ProgramFolder() {
  std::lock_guard lock(gMutex);
  if (!gSet) {
    const std::string exe = ExecutablePath();
    const auto slash = exe.rfind(kPathSeparator);
    gFolder = slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
    gSet = true;
  }
  return gFolder;
}

void SetProgramFolder(std::string folder) {
  if (!folder.empty() && folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
  std::lock_guard lock(gMutex);
  gFolder = std::move(folder);
  gSet = true;
}

}  // namespace helvanta
