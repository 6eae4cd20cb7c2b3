#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#include "serial/ecomport.hpp"

namespace helvanta {
namespace {

std::string Utf8(const wchar_t* text, int length) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

// The system's own words for the code, in the user's language, without the line break
// that FormatMessage ends them with.
std::string SystemMessage(int code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return "Unknown error";
  DWORD kept = length;
  while (kept > 0 && (buffer[kept - 1] == L'\r' || buffer[kept - 1] == L'\n')) --kept;
  std::string message = Utf8(buffer, static_cast<int>(kept));
  ::LocalFree(buffer);
  return message.empty() ? "Unknown error" : message;
}

}  // namespace

std::string ComErrorDetail(const std::string& device, int code) {
  std::string detail = device.empty() ? std::string() : device + ": ";
  // Opening a port that another program holds is refused as access denied; the system's
  // words for it would send the user looking for missing rights.
  detail += code == ERROR_ACCESS_DENIED ? std::string("in use by another program") : SystemMessage(code);
  return detail + " (win error code: " + std::to_string(code) + ")";
}

}  // namespace helvanta
