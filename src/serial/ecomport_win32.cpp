#include <windows.h>

#include <string>

#include "runtime/wide_text_win32.hpp"
#include "serial/ecomport.hpp"

namespace helvanta {

std::string ComErrorDetail(const std::string& device, int code) {
  std::string detail = device.empty() ? std::string() : device + ": ";
  // Opening a port that another program holds is refused as access denied; the system's
  // words for it would send the user looking for missing rights.
  detail += code == ERROR_ACCESS_DENIED ? std::string("in use by another program")
                                        : SystemMessage(static_cast<unsigned long>(code));
  return detail + " (win error code: " + std::to_string(code) + ")";
}

}  // namespace helvanta
