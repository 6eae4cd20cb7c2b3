#include "web/basic_auth.hpp"

#include <cstddef>
#include <optional>
#include <string>

#include "text/ascii_text.hpp"

namespace helvanta {

namespace {

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Standard base64 with its padding; nothing for anything else.
std::optional<std::string> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  std::size_t padding = 0;
  while (!text.empty() && text.back() == '=' && padding < 2) {
    text.remove_suffix(1);
    ++padding;
  }
  unsigned bits = 0;
  int count = 0;
  for (const char c : text) {
    const int digit = Base64Digit(c);
    if (digit < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<unsigned>(digit);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFFu);
    }
  }
  return out;
}

bool ConstantTimeEqual(std::string_view a, std::string_view b) {
  // Every byte of the longer text is looked at, whatever the lengths.
  const std::size_t length = a.size() > b.size() ? a.size() : b.size();
  unsigned difference = a.size() == b.size() ? 0u : 1u;
  for (std::size_t i = 0; i < length; ++i) {
    const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
    const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
    difference |= static_cast<unsigned>(x ^ y);
  }
  return difference == 0;
}

}  // namespace

bool BasicAuthMatches(std::string_view authorization, std::string_view user, std::string_view password) {
  constexpr std::string_view kScheme = "Basic ";
  // The scheme's name is case-insensitive.
  if (!EqualsIgnoringCase(authorization.substr(0, kScheme.size()), kScheme)) return false;
  std::string_view encoded = authorization.substr(kScheme.size());
  while (!encoded.empty() && encoded.front() == ' ') encoded.remove_prefix(1);
  while (!encoded.empty() && encoded.back() == ' ') encoded.remove_suffix(1);
  const std::optional<std::string> decoded = DecodeBase64(encoded);
  if (!decoded) return false;
  std::string expected(user);
  expected += ':';
  expected += password;
  return ConstantTimeEqual(*decoded, expected);
}

}  // namespace helvanta
