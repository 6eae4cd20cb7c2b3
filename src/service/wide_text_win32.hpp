#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// The code base's strings are UTF-8; the wide Windows calls take UTF-16.
std::wstring WideText(std::string_view text);
std::string Utf8Text(std::wstring_view text);

// The system's text for a Windows error code with the code itself, such as
// "Access is denied. (win error code: 5)".
std::string WindowsErrorText(unsigned long code);

}  // namespace helvanta
