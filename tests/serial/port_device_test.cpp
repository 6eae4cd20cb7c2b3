#include <gtest/gtest.h>

#include "serial/port_device.hpp"

namespace helvanta {
namespace {

TEST(PortDevice, DefaultMapsComNamesAndKeepsPaths) {
  EXPECT_EQ(DefaultPortDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(DefaultPortDevicePath("COM12"), "/dev/ttyS11");
  EXPECT_EQ(DefaultPortDevicePath("com3"), "/dev/ttyS2");
  EXPECT_EQ(DefaultPortDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(DefaultPortDevicePath("COM0"), "COM0");
  EXPECT_EQ(DefaultPortDevicePath("COM"), "COM");
  EXPECT_EQ(DefaultPortDevicePath("COM1x"), "COM1x");
  EXPECT_EQ(DefaultPortDevicePath("ttyUSB0"), "ttyUSB0");
  EXPECT_EQ(DefaultPortDevicePath(""), "");
}

TEST(PortDevice, InstalledResolverIsUsedUntilReset) {
  SetPortDeviceResolver([](const std::string& name) { return "/dev/pts/" + name; });
  EXPECT_EQ(PortDevicePath("COM1"), "/dev/pts/COM1");
  SetPortDeviceResolver(nullptr);
  EXPECT_EQ(PortDevicePath("COM1"), "/dev/ttyS0");
}

}  // namespace
}  // namespace helvanta
