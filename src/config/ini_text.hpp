#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace helvanta {

// The content of an INI file as text, read and changed one key at a time.
//
// Lines end at CR LF, a lone CR or a lone LF. A line whose first non-blank character
// is "[" starts a section named by the text up to "]" (or the line end); a line whose
// first non-blank character is ";" is a comment; any other line with "=" holds a key
// (the text before the first "=") and its value (the text after it). Blanks (spaces and
// tabs) around section names, keys and values are not part of them; quotes are. Section
// names and keys are compared without regard to ASCII letter case; the first matching
// section and, in it, the first matching key count. Lines before the first section and
// lines without "=" belong to no key.

// Longest value a read returns; longer ones are cut.
inline constexpr std::size_t kMaxIniValueLength = 2047;

// The value of a key, cut at a zero byte and at kMaxIniValueLength characters, or nothing
// when the section or the key is missing.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key);

// Whether the text has the section, with or without keys in it.
bool HasIniSection(std::string_view text, std::string_view section);

// True when a section, key and value can be written without changing the file's structure:
// no line breaks or zero bytes anywhere, a non-empty key without "=" or a leading "[" or ";",
// a section name without "]", and no blanks around the section name or the key.
bool IsWritableIniEntry(std::string_view section, std::string_view key, std::string_view value);

// The text with the key set to the value. An existing key keeps everything up to and
// including its "=" and gets the new value after it; a missing key is added after the last
// non-blank line of its section; a missing section is added at the end of the text. Every
// other byte stays. New lines end like the text's first line (LF in a text without any).
// The entry must satisfy IsWritableIniEntry.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace helvanta
