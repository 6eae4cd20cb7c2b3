#pragma once

#include <functional>
#include <string>

namespace helvanta {

// Turns a port name as the user sees it ("COM1") into the device file to open.
using PortDeviceResolver = std::function<std::string(const std::string& portName)>;

// Installs the process-wide resolver; an empty function goes back to the default.
void SetPortDeviceResolver(PortDeviceResolver resolver);

// The device for a port name through the installed resolver.
std::string PortDevicePath(const std::string& portName);

// A name starting with '/' is a path already; "COMn" (n >= 1, any letter case, as port
// names are on the system they come from) is the machine's own port of that number
// (BuiltInSerialDevice); anything else as is.
std::string DefaultPortDevicePath(const std::string& portName);

}  // namespace helvanta
