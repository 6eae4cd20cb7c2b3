#include "support/temp_folder.hpp"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "support/file_bytes.hpp"

namespace helvanta::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "helvanta-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  // A test may have taken the owner's rights away to play a locked folder; the removal
  // is best effort, as a failure here must not hide the test's own result.
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::WriteFile(const std::string& name, const std::string& bytes) const { WriteBytes(File(name), bytes); }

std::string TempFolder::ReadFile(const std::string& name) const { return ReadBytes(File(name)); }

bool TempFolder::Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  return names;
}

}  // namespace helvanta::testing
