#include "config/serial_devices.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;

TEST(SerialDevices, ListStableNamesFirstThenUsbAcmAndBuiltInPortsInNumberOrder) {
  TempFolder dev;
  for (const char* name : {"ttyS10", "ttyUSB10", "ttyS1", "ttyACM0", "ttyUSB2", "ttyUSB0", "ttyS0", "ttyUSB1", "ttyS",
                           "ttyUSBx", "tty0", "console", "ttyAMA0"}) {
    WriteBytes(dev.File(name), "");
  }
  fs::create_directories(dev.File("serial/by-id"));
  fs::create_symlink("../../ttyUSB1", dev.File("serial/by-id/usb-B-if00-port0"));
  fs::create_symlink("../../ttyUSB0", dev.File("serial/by-id/usb-A-if00-port0"));
  fs::create_symlink("../../ttyUSB9", dev.File("serial/by-id/usb-gone-if00-port0"));  // adapter pulled

  const std::string d = dev.File("");
  const std::vector<std::pair<std::string, std::string>> expected{
      {d + "serial/by-id/usb-A-if00-port0", d + "serial/by-id/usb-A-if00-port0 (ttyUSB0)"},
      {d + "serial/by-id/usb-B-if00-port0", d + "serial/by-id/usb-B-if00-port0 (ttyUSB1)"},
      {d + "ttyUSB0", d + "ttyUSB0"},
      {d + "ttyUSB1", d + "ttyUSB1"},
      {d + "ttyUSB2", d + "ttyUSB2"},
      {d + "ttyUSB10", d + "ttyUSB10"},
      {d + "ttyACM0", d + "ttyACM0"},
      {d + "ttyS0", d + "ttyS0"},
      {d + "ttyS1", d + "ttyS1"},
      {d + "ttyS10", d + "ttyS10"},
  };
  std::vector<std::pair<std::string, std::string>> listed;
  for (const SerialDeviceEntry& entry : ListSerialDevices(d)) listed.emplace_back(entry.path, entry.shownAs);
  EXPECT_EQ(listed, expected);

  EXPECT_TRUE(ListSerialDevices(dev.File("missing")).empty());
}

TEST(SerialDevices, CheckAcceptsOnlyExistingCharacterDevices) {
  TempFolder folder;
  WriteBytes(folder.File("file"), "");
  fs::create_symlink("/dev/null", folder.File("stable-name"));
  fs::create_symlink(folder.File("gone"), folder.File("dangling"));
  const struct {
    std::string path;
    SerialDeviceCheck expected;
  } cases[] = {
      {"/dev/null", SerialDeviceCheck::kCharacterDevice},
      {folder.File("stable-name"), SerialDeviceCheck::kCharacterDevice},
      {folder.File("file"), SerialDeviceCheck::kNotCharacterDevice},
      {folder.Path(), SerialDeviceCheck::kNotCharacterDevice},
      {folder.File("gone"), SerialDeviceCheck::kMissing},
      {folder.File("dangling"), SerialDeviceCheck::kMissing},
      {folder.File("file/below-a-file"), SerialDeviceCheck::kMissing},
      {"", SerialDeviceCheck::kMissing},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckSerialDevice(c.path), c.expected) << c.path;
}

}  // namespace
}  // namespace helvanta
