#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace helvanta {

// A code point of the Basic Multilingual Plane, appended as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t code);

// Windows-1252 bytes (the measurand table's captions and units) as UTF-8.
std::string Utf8FromCp1252(std::string_view bytes);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view bytes);

// Paths and names as the user wrote them: UTF-8 when they are, else Windows-1252.
std::string TextAsUtf8(std::string_view bytes);

}  // namespace helvanta
