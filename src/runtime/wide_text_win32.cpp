#include <windows.h>

#include "runtime/wide_text_win32.hpp"

namespace helvanta {

std::wstring WideOf(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) {
    // Not UTF-8: Windows-1252 is what older files beside the executable hold.
    const int ansi = MultiByteToWideChar(1252, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(ansi), L'\0');
    MultiByteToWideChar(1252, 0, utf8.data(), size, wide.data(), ansi);
    return wide;
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8Of(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string SystemMessage(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return "Unknown error " + std::to_string(code);
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.remove_suffix(1);
  std::string result = Utf8Of(text);
  LocalFree(buffer);
  return result;
}

std::string WindowsErrorText(unsigned long code) {
  return SystemMessage(code) + " (win error code: " + std::to_string(code) + ")";
}

}  // namespace helvanta
