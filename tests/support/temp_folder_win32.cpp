#include <windows.h>

#include "support/temp_folder.hpp"

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/file_bytes.hpp"

namespace helvanta::testing {

namespace {

// The code base's strings are UTF-8; Windows paths are wide.
std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

// Windows has no mkdtemp: the process id and a counter make the name, and creating the
// folder is what proves it was free.
TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder =
        base / ("helvanta-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
    std::error_code error;
    if (std::filesystem::create_directory(folder, error)) {
      path_ = Utf8(folder) + "\\";
      return;
    }
    if (error) throw std::runtime_error("cannot create " + Utf8(folder) + ": " + error.message());
  }
  throw std::runtime_error("no free test folder name in " + Utf8(base));
}

TempFolder::~TempFolder() {
  // A test may have made a file read-only; the removal is best effort, as a failure here
  // must not hide the test's own result.
  std::error_code ignored;
  std::filesystem::remove_all(PathOf(path_), ignored);
}

void TempFolder::WriteFile(const std::string& name, const std::string& bytes) const { WriteBytes(File(name), bytes); }

std::string TempFolder::ReadFile(const std::string& name) const { return ReadBytes(File(name)); }

bool TempFolder::Exists(const std::string& name) const { return std::filesystem::exists(PathOf(File(name))); }

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf(path_)))
    names.push_back(Utf8(entry.path().filename()));
  return names;
}

}  // namespace helvanta::testing
