#include <atomic>

#include "config/file_access.hpp"
#include "runtime/file_handle_win32.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::atomic<unsigned> gTempCounter{0};

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path) {
  FileBytes result;
  FileHandle file(CreateFileW(WideOf(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) {
    const DWORD error = GetLastError();
    result.status = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? FileReadStatus::kMissing
                                                                                     : FileReadStatus::kFailed;
    return result;
  }
  result.status = FileReadStatus::kFailed;
  // A device or a pipe in place of the file is no file.
  LARGE_INTEGER size{};
  if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &size)) return result;
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxConfigFileSize) {
    result.status = FileReadStatus::kTooLarge;
    return result;
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.Get(), buf, sizeof buf, &n, nullptr)) return result;
    if (n == 0) break;
    bytes.append(buf, n);
    if (bytes.size() > kMaxConfigFileSize) {
      result.status = FileReadStatus::kTooLarge;
      return result;
    }
  }
  result.status = FileReadStatus::kOk;
  result.bytes = std::move(bytes);
  return result;
}

bool RegularFileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideOf(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes);
}

bool FolderWritable(const std::string& path) {
  if (!IsFolder(GetFileAttributesW(WideOf(path).c_str()))) return false;
  // Only the folder's access list can tell, and trying is the one sure way to read it.
  std::string probe = path;
  if (!probe.empty() && probe.back() != '\\' && probe.back() != '/') probe.push_back('\\');
  probe += ".helvanta-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(gTempCounter++) + ".probe";
  FileHandle file(CreateFileW(WideOf(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.IsOpen();
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
  const std::wstring target = WideOf(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  if (exists && (IsFolder(attributes) || (attributes & FILE_ATTRIBUTE_READONLY) != 0)) return false;

  std::wstring temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = WideOf(path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(gTempCounter++) + ".tmp");
    handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  FileHandle file(handle);
  if (!file.IsOpen()) return false;

  std::size_t count = 0;
  const bool written = WriteAll(file.Get(), bytes, count) && FlushFileBuffers(file.Get());
  // ReplaceFile keeps the old file's attributes and access list, as a rename over it
  // keeps its mode on Linux; and it refuses a file another program holds open for writing.
  const bool replaced =
      file.Close() && written &&
      (exists ? ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
              : MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH));
  if (!replaced) DeleteFileW(temp.c_str());
  return replaced;
}

}  // namespace helvanta
