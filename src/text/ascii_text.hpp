#pragma once

#include <string_view>

namespace helvanta {

// Letters A to Z as a to z; every other byte as it is (texts are bytes, not in a locale).
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal but for the case of A to Z: section and key names, port names, an HTTP scheme.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace helvanta
