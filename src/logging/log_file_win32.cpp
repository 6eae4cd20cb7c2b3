#include "logging/log_file.hpp"
#include "runtime/file_handle_win32.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {

// Others may read the day's file while it grows (a spreadsheet, a copy).
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::wstring& path, DWORD disposition) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, kShare, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool AppendToDailyFile(const std::string& path, std::string_view header, std::string_view record) {
  // Creating only when the file does not exist tells reliably whether this call made the
  // file, and with it whether the header belongs in front of the record.
  const std::wstring wide = WideOf(path);
  bool created = false;
  HANDLE handle = Open(wide, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
    handle = Open(wide, CREATE_NEW);
    if (handle != INVALID_HANDLE_VALUE) {
      created = true;
    } else if (GetLastError() == ERROR_FILE_EXISTS) {
      handle = Open(wide, OPEN_EXISTING);  // another writer made it meanwhile
    }
  }
  FileHandle file(handle);
  if (!file.IsOpen()) return false;
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file.Get(), LARGE_INTEGER{}, &end, FILE_END)) return false;

  std::string_view text = record;
  std::string whole;
  if (created && !header.empty()) {
    whole.reserve(header.size() + record.size());
    whole.append(header);
    whole.append(record);
    text = whole;
  }

  std::size_t written = 0;
  if (!WriteAll(file.Get(), text, written)) {
    // Never leave half a line behind: the next record would be glued to it. A new
    // file goes again, or the next record would find it and write no header.
    if (created) {
      file.Close();
      DeleteFileW(wide.c_str());
    } else if (written > 0 && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN)) {
      // The record failed either way; the caller reports it, whether the cut works or not.
      SetEndOfFile(file.Get());
    }
    return false;
  }
  if (!file.Close()) {
    if (created) DeleteFileW(wide.c_str());
    return false;
  }
  return true;
}

}  // namespace helvanta
