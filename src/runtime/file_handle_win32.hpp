#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace helvanta {

// Owns an open file handle and closes it once.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (IsOpen()) CloseHandle(handle_);
  }

  HANDLE Get() const { return handle_; }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now and tells whether the close succeeded.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

// Writes all of text; `written` tells how much went out before a failure.
inline bool WriteAll(HANDLE file, std::string_view text, std::size_t& written) {
  written = 0;
  while (written < text.size()) {
    const std::size_t rest = text.size() - written;
    const DWORD chunk = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
    DWORD n = 0;
    if (!WriteFile(file, text.data() + written, chunk, &n, nullptr) || n == 0) return false;
    written += n;
  }
  return true;
}

}  // namespace helvanta
