#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// Appends the text as a JSON string, quotes included. The text must be UTF-8; control
// characters, quotes and backslashes are escaped.
void AppendJsonString(std::string& out, std::string_view utf8);

// Appends "name":"value" to an object under way (out ends in "{" or in a member).
void AppendJsonMember(std::string& out, std::string_view name, std::string_view utf8Value);

// Whether the text is a number exactly as JSON writes one ("-12.50", not "012", "1.", "+1").
bool IsJsonNumber(std::string_view text);

// Windows-1252 bytes (the measurand table's captions and units) as UTF-8.
std::string Utf8FromCp1252(std::string_view bytes);

}  // namespace helvanta
