#include "config/language.hpp"

#include "config/file_access.hpp"
#include "config/file_locations.hpp"
#include "text/ascii_text.hpp"

namespace helvanta {

namespace {

constexpr std::string_view kLineBreakMarker = "\\n";
constexpr std::string_view kArgumentMarker = "%s";
constexpr std::string_view kCutMarker = "[...]";

// Every occurrence of `from`, left to right, without scanning the replacements again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  std::size_t pos = 0;
  for (std::size_t hit = text.find(from); hit != text.npos; hit = text.find(from, pos)) {
    result.append(text.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
  }
  result.append(text.substr(pos));
  return result;
}

}  // namespace

FileReadStatus TLanguageList::LoadFromFile(const std::string& path) {
  const FileBytes content = ReadFileBytes(path);
  if (content.status == FileReadStatus::kOk) {
    LoadFromText(content.bytes);
  } else {
    lines_.clear();
  }
  return content.status;
}

void TLanguageList::LoadFromText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  lines_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == text.npos) {
      lines_.emplace_back(text.substr(pos));
      break;
    }
    lines_.emplace_back(text.substr(pos, end - pos));
    pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

std::string TLanguageList::LookupText(std::string_view key) const {
  for (const std::string& line : lines_) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && EqualsIgnoringCase(std::string_view(line).substr(0, eq), key)) {
      return line.substr(eq + 1);
    }
  }
  return {};
}

std::string LanguageFilePath() { return CurrentFileLocations().languageFile; }

std::string ComposeMessage(std::string_view text, std::string_view argument, std::string_view lineBreak) {
  // The text is cut at its own markers before the argument goes in, so that a backslash
  // and "n" inside the argument (a folder path) is never taken for a line break.
  std::string result;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t marker = text.find(kLineBreakMarker, pos);
    const std::string_view piece = text.substr(pos, marker == text.npos ? text.npos : marker - pos);
    result.append(argument.empty() ? std::string(piece) : ReplaceAll(piece, kArgumentMarker, argument));
    if (marker == text.npos) return result;
    result.append(lineBreak);
    pos = marker + kLineBreakMarker.size();
  }
}

std::string ComposeKeyMessage(const TLanguageList& list, std::string_view key, std::string_view argument,
                              std::string_view lineBreak) {
  const std::string translation = list.LookupText(key);
  return ComposeMessage(translation.empty() ? BuiltinText(key) : std::string_view(translation), argument, lineBreak);
}

void SetLabelText(LabelText& label, std::string_view text) {
  if (text.empty()) return;
  const std::size_t cut = text.find(kCutMarker);
  if (cut == text.npos) {
    label.caption = std::string(text);
    label.showHint = false;
    return;
  }
  label.caption = std::string(text.substr(0, cut)) + "...";
  label.hint = std::string(text.substr(0, cut)) + std::string(text.substr(cut + kCutMarker.size()));
  label.showHint = true;
}

}  // namespace helvanta
