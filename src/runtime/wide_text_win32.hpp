#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// Texts are UTF-8 bytes everywhere in the program; the W calls of Windows take UTF-16.
std::wstring WideOf(std::string_view utf8);
std::string Utf8Of(std::wstring_view wide);

// The system's message for an error code (GetLastError, WSAGetLastError), in UTF-8
// without the trailing line break ("Unknown error <code>" when the system has none), as
// strerror() words errno.
std::string SystemMessage(unsigned long code);
// The same with the code itself, as every Windows error is shown to the user:
// "Access is denied. (win error code: 5)".
std::string WindowsErrorText(unsigned long code);

}  // namespace helvanta
