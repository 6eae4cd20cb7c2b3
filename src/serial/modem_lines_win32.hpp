#pragma once

namespace helvanta {

// Whether the error of a failed GetCommModemStatus means that the port has no modem
// lines at all, as a virtual port or wine's mapping of a pseudo-terminal: invalid
// parameter (87) or not supported (50). Such a port reads as all lines off.
constexpr bool NoModemLines(unsigned long error) { return error == 87 || error == 50; }

}  // namespace helvanta
