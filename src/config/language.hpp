#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/file_access.hpp"

namespace helvanta {

// Numbered texts of the optional language file Helvanta.lng.
//
// Lines end at CR LF, a lone CR or a lone LF; a zero byte ends the text. A line's key is
// everything before its first "=", its value everything after it: nothing is trimmed, so
// "1001 =x" defines the key "1001 " that no lookup asks for. Lines without "=" are
// ignored; of several lines with the same key the first counts.
class TLanguageList {
 public:
  // Replaces the list with the file's lines; a missing, unreadable or oversized file
  // leaves it empty. Returns how the read went, for a host that reports it.
  FileReadStatus LoadFromFile(const std::string& path);
  void LoadFromText(std::string_view text);
  // The value of the first line whose key equals `key` (without regard to case), or "".
  std::string LookupText(std::string_view key) const;
  bool Empty() const { return lines_.empty(); }

 private:
  std::vector<std::string> lines_;
};

// Full path of Helvanta.lng: CurrentFileLocations().languageFile.
std::string LanguageFilePath();

// The built-in English text of a key ("0001" ... "3012", "2001" ... "2030", "4001" ...);
// "" if unknown.
std::string_view BuiltinText(std::string_view key);

struct BuiltinTextEntry {
  std::string_view key;
  std::string_view text;
};
// Every key with its built-in text, in key order.
std::span<const BuiltinTextEntry> BuiltinTexts();

// Key 1009 is the menu item "About..." and the tool button's hint "About": the table
// holds the menu text, and the hint's built-in text is this.
inline constexpr std::string_view kBuiltinAboutHint = "About";

// Fills "%s" with the argument (unless it is empty) and turns each backslash-n marker of
// the text into lineBreak. A backslash followed by "n" inside the argument (a folder such
// as /data/new) is part of the argument and stays as it is.
std::string ComposeMessage(std::string_view text, std::string_view argument, std::string_view lineBreak);

// The message of a key: the built-in text composed, replaced by the translation when
// the list has a non-empty one.
std::string ComposeKeyMessage(const TLanguageList& list, std::string_view key, std::string_view argument,
                              std::string_view lineBreak);

// A label as the dialog shows it.
struct LabelText {
  std::string caption;
  std::string hint;
  bool showHint = false;
};
// Sets a label from a language text; "[...]" cuts the caption and puts the whole text in the hint.
void SetLabelText(LabelText& label, std::string_view text);

}  // namespace helvanta
