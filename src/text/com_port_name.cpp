#include "text/com_port_name.hpp"

#include "text/ascii_text.hpp"

namespace helvanta {

std::optional<unsigned> ComPortNumber(std::string_view name) {
  constexpr std::size_t kMaxDigits = 9;  // no overflow
  if (name.size() < 4 || name.size() > 3 + kMaxDigits || !EqualsIgnoringCase(name.substr(0, 3), "COM")) {
    return std::nullopt;
  }
  unsigned number = 0;
  for (const char c : name.substr(3)) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (number == 0) return std::nullopt;
  return number;
}

}  // namespace helvanta
