#include "year/run_folder.hpp"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace helvanta::year {

TRunFolder::TRunFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "helvanta-run-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "cannot make a folder for the run");
  }
  path_ = pattern;
}

TRunFolder::~TRunFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace helvanta::year
