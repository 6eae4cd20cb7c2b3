#pragma once

#include <string>

namespace helvanta {

// Windows' own text for a system or Winsock error code, in UTF-8 without the trailing
// line break ("Unknown error 1234" when the system has none), as strerror() words errno.
std::string SystemMessageText(unsigned long code);

}  // namespace helvanta
