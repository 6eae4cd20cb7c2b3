#include "serial/port_device.hpp"

#include <cctype>
#include <mutex>

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
  if (!portName.empty() && portName.front() == '/') return portName;
  if (portName.size() < 4 || portName.size() > 12) return portName;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i]) return portName;
  }
  unsigned long number = 0;
  for (std::size_t i = 3; i < portName.size(); ++i) {
    const char c = portName[i];
    if (c < '0' || c > '9') return portName;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  if (number == 0) return portName;
  return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace helvanta
