#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "config/serial_devices.hpp"

namespace helvanta {

namespace {

namespace fs = std::filesystem;

// udev keeps one link per adapter here, named after its vendor, model and serial number,
// so the name stays when the adapter comes back as another ttyUSB number.
std::vector<SerialDeviceEntry> StableNames(const fs::path& deviceFolder) {
  std::vector<SerialDeviceEntry> entries;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(deviceFolder / "serial" / "by-id", ec)) {
    std::error_code linkError;
    // A link whose device is gone stays until udev notices; it names nothing to choose.
    if (!fs::exists(entry.path(), linkError)) continue;
    SerialDeviceEntry device{entry.path().string(), entry.path().string()};
    const fs::path target = fs::read_symlink(entry.path(), linkError);
    if (!linkError) device.shownAs += " (" + target.filename().string() + ")";
    entries.push_back(std::move(device));
  }
  std::sort(entries.begin(), entries.end(),
            [](const SerialDeviceEntry& a, const SerialDeviceEntry& b) { return a.path < b.path; });
  return entries;
}

// The number behind `prefix` when `name` is the prefix followed by digits only.
std::string_view DeviceNumber(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return {};
  const std::string_view digits = name.substr(prefix.size());
  const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  return allDigits ? digits : std::string_view();
}

}  // namespace

std::vector<SerialDeviceEntry> ListSerialDevices() { return ListSerialDevices("/dev"); }

std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& deviceFolder) {
  std::vector<SerialDeviceEntry> entries = StableNames(deviceFolder);
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(deviceFolder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  for (const std::string_view prefix : std::array<std::string_view, 3>{"ttyUSB", "ttyACM", "ttyS"}) {
    std::vector<std::string_view> numbers;
    for (const std::string& name : names) {
      const std::string_view number = DeviceNumber(name, prefix);
      if (!number.empty()) numbers.push_back(number);
    }
    // ttyS2 before ttyS10: a shorter number is the smaller one.
    std::sort(numbers.begin(), numbers.end(), [](std::string_view a, std::string_view b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string_view number : numbers) {
      const std::string path = (fs::path(deviceFolder) / (std::string(prefix) + std::string(number))).string();
      entries.push_back({path, path});
    }
  }
  return entries;
}

SerialDeviceCheck CheckSerialDevice(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || status.type() == fs::file_type::not_found) return SerialDeviceCheck::kMissing;
  return status.type() == fs::file_type::character ? SerialDeviceCheck::kCharacterDevice
                                                   : SerialDeviceCheck::kNotCharacterDevice;
}

}  // namespace helvanta
