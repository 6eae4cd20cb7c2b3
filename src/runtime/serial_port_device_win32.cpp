#include "runtime/serial_port_device.hpp"

namespace helvanta {

// Windows names its ports as the user does.
std::string BuiltInSerialDevice(unsigned comNumber) { return "COM" + std::to_string(comNumber); }

}  // namespace helvanta
