#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace helvanta {

// Standard base64 with its padding; nothing for anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace helvanta
