#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace helvanta {

// Texts are byte strings; the screen wants Unicode. Valid UTF-8 is shown as UTF-8,
// anything else as Windows-1252, so a language file written on Windows still reads right.
QString ToDisplay(std::string_view bytes);

// What the user typed, as bytes: `original` when the shown text was not changed (so a
// Windows-1252 path survives a round trip), else the UTF-8 of the text.
std::string FromDisplay(const QString& text, const std::string& original = {});

}  // namespace helvanta
