#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "config/serial_devices.hpp"

namespace helvanta {

namespace {

namespace fs = std::filesystem;

std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring Wide(const std::string& utf8) {
  const int length = static_cast<int>(utf8.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  if (size > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), size);
  return wide;
}

// Paths in the code base are UTF-8; the file system's narrow strings are not.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// The number of a port name "COM<digits>" in any letter case; empty for other names.
std::string_view PortNumber(std::string_view name) {
  if (name.size() <= 3) return {};
  for (std::size_t i = 0; i < 3; ++i) {
    if ((name[i] & ~0x20) != "COM"[i]) return {};
  }
  const std::string_view digits = name.substr(3);
  const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  return allDigits ? digits : std::string_view();
}

// A port is its own name here: the entry and what the list shows are both "COMn",
// COM2 before COM10.
std::vector<SerialDeviceEntry> PortsInNumberOrder(std::vector<std::string> names) {
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return PortNumber(n).empty(); }),
              names.end());
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string_view x = PortNumber(a);
    const std::string_view y = PortNumber(b);
    return x.size() != y.size() ? x.size() < y.size() : x < y;
  });
  std::vector<SerialDeviceEntry> entries;
  for (const std::string& name : names) entries.push_back({name, name});
  return entries;
}

// Every name of the device namespace; the list grows with the machine's devices.
std::vector<std::string> DosDeviceNames() {
  std::vector<wchar_t> buffer(16384);
  for (;;) {
    const DWORD length = ::QueryDosDeviceW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length != 0) {
      std::vector<std::string> names;
      for (std::size_t at = 0; at < length && buffer[at] != L'\0';) {
        const std::wstring_view name(buffer.data() + at);
        names.push_back(Utf8(name));
        at += name.size() + 1;
      }
      return names;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= (std::size_t{1} << 24)) return {};
    buffer.resize(buffer.size() * 4);
  }
}

// "\\.\COM3" and "COM3" name the same device.
std::string WithoutDeviceNamespace(const std::string& path) {
  return path.rfind("\\\\.\\", 0) == 0 ? path.substr(4) : path;
}

}  // namespace

std::vector<SerialDeviceEntry> ListSerialDevices() { return PortsInNumberOrder(DosDeviceNames()); }

std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& deviceFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(PathOf(deviceFolder), ec)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  return PortsInNumberOrder(std::move(names));
}

SerialDeviceCheck CheckSerialDevice(const std::string& path) {
  const std::string name = WithoutDeviceNamespace(path);
  wchar_t target[1024];
  // Drive letters are device names too, but no port.
  if (name.find(':') == std::string::npos && ::QueryDosDeviceW(Wide(name).c_str(), target, 1024) != 0) {
    return SerialDeviceCheck::kCharacterDevice;
  }
  std::error_code ec;
  return fs::exists(PathOf(path), ec) ? SerialDeviceCheck::kNotCharacterDevice : SerialDeviceCheck::kMissing;
}

}  // namespace helvanta
