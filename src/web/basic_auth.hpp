#pragma once

#include <string_view>

namespace helvanta {

// Whether an Authorization header ("Basic " and base64 of "user:password") names exactly
// this user and password. The comparison takes the same time wherever the first
// difference lies, so the answer times tell nothing about the password.
bool BasicAuthMatches(std::string_view authorization, std::string_view user, std::string_view password);

}  // namespace helvanta
