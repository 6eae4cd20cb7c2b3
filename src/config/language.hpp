#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace helvanta {

// Numbered texts of the optional language file Helvanta.lng.
class TLanguageList {
 public:
  // Replaces the list with the file's lines; a missing or unreadable file leaves it empty.
  void LoadFromFile(const std::string& path);
  void LoadFromText(std::string_view text);
  // The value of the first line whose key equals `key` (without regard to case), or "".
  std::string LookupText(std::string_view key) const;
  bool Empty() const { return lines_.empty(); }

 private:
  std::vector<std::string> lines_;
};

// Full path of Helvanta.lng beside the executable.
std::string LanguageFilePath();

// The built-in English text of a key ("0001" ... "3012", "2001" ... "2030"); "" if unknown.
std::string_view BuiltinText(std::string_view key);

// Fills "%s" with the argument (unless it is empty), then turns the line-break marker
// of the text into lineBreak.
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
