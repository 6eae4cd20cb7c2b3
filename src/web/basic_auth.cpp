#include "web/basic_auth.hpp"

#include <cstddef>
#include <optional>
#include <string>

#include "text/ascii_text.hpp"
#include "text/base64.hpp"

namespace helvanta {

namespace {

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
