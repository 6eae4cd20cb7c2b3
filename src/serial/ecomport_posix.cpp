#include <cerrno>
#include <cstring>

#include "serial/ecomport.hpp"

namespace helvanta {

std::string ComErrorDetail(const std::string& device, int code) {
  std::string detail = device.empty() ? std::string() : device + ": ";
  switch (code) {
    case EBUSY:
    case EWOULDBLOCK:
      // TIOCEXCL answers EBUSY, the lock EWOULDBLOCK: another program holds the port.
      detail += "in use by another program";
      break;
    default: detail += std::strerror(code); break;
  }
  detail += ", error " + std::to_string(code);
  if (code == EACCES || code == EPERM) detail += "; the user needs to be in the dialout group";
  return detail;
}

}  // namespace helvanta
