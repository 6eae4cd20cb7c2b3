#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace helvanta::fuzz {

// Stops the run when a property does not hold, so that libFuzzer keeps the input.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "Property violated: %s\n", what);
  std::abort();
}

// A folder of this process's own under /tmp, removed when the process ends normally.
class ProcessFolder {
 public:
  ProcessFolder() {
    std::string pattern = "/tmp/helvanta-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Require(false, "cannot create a folder under /tmp");
    path_ = pattern;
  }
  ProcessFolder(const ProcessFolder&) = delete;
  ProcessFolder& operator=(const ProcessFolder&) = delete;
  ~ProcessFolder() {
    std::error_code ignored;  // best effort at exit; the folder holds nothing of value
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string TempFile(std::string_view name) {
  static const ProcessFolder folder;
  return folder.File(name);
}

// A new file each time: truncating one that holds data makes the file system flush it.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::filesystem::remove(path);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(static_cast<bool>(out.flush()), "cannot write the input file");
}

}  // namespace helvanta::fuzz
