#pragma once

#include <string>

namespace helvanta {

// The device of the machine's own serial port COMn (n >= 1) when the settings map it to
// no other: "/dev/ttyS<n-1>" on Linux, "COMn" itself on Windows.
std::string BuiltInSerialDevice(unsigned comNumber);

}  // namespace helvanta
