#include "runtime/serial_port_device.hpp"

namespace helvanta {

std::string BuiltInSerialDevice(unsigned comNumber) { return "/dev/ttyS" + std::to_string(comNumber - 1); }

}  // namespace helvanta
