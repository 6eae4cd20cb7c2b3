#include "serial/port_device.hpp"

#include <mutex>

#include "runtime/serial_port_device.hpp"
#include "text/com_port_name.hpp"

namespace helvanta {
namespace {

std::mutex gResolverMutex;
PortDeviceResolver gResolver;

}  // namespace

void SetPortDeviceResolver(PortDeviceResolver resolver) {
  std::lock_guard lock(gResolverMutex);
  gResolver = std::move(resolver);
}

std::string PortDevicePath(const std::string& portName) {
  PortDeviceResolver resolver;
  {
    std::lock_guard lock(gResolverMutex);
    resolver = gResolver;
  }
  return resolver ? resolver(portName) : DefaultPortDevicePath(portName);
}

std::string DefaultPortDevicePath(const std::string& portName) {
  const std::optional<unsigned> number = ComPortNumber(portName);
  if (!number) return portName;
  return BuiltInSerialDevice(*number);
}

}  // namespace helvanta
