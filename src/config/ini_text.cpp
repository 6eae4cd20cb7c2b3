#include "config/ini_text.hpp"

#include <vector>

#include "text/ascii_text.hpp"

namespace helvanta {

namespace {

struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;  // where the line end starts
  std::size_t end = 0;         // behind the line end
};

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;       // section name or key
  std::size_t valueBegin = 0;  // offset in the text, keys only
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
    line.contentEnd = pos;
    if (pos < text.size()) {
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
    line.end = pos;
    lines.push_back(line);
  }
  return lines;
}

ParsedLine Parse(std::string_view text, const Line& line) {
  ParsedLine parsed;
  const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
  const std::string_view trimmed = Trim(content);
  if (trimmed.empty() || trimmed.front() == ';') return parsed;
  if (trimmed.front() == '[') {
    std::string_view name = trimmed.substr(1);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    parsed.kind = LineKind::kSection;
    parsed.name = Trim(name);
    return parsed;
  }
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(content.substr(0, eq));
  parsed.valueBegin = line.begin + eq + 1;
  return parsed;
}

// Index of the first header of `section`, or lines.size().
std::size_t FindSection(std::string_view text, const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(text, lines[i]);
    if (parsed.kind == LineKind::kSection && EqualsIgnoringCase(parsed.name, section)) return i;
  }
  return lines.size();
}

std::string_view LineEndOf(std::string_view text, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.end > line.contentEnd) return text.substr(line.contentEnd, line.end - line.contentEnd);
  }
  return "\n";
}

bool HasLineBreakOrZero(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  for (std::size_t i = FindSection(text, lines, section) + 1; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(text, lines[i]);
    if (parsed.kind == LineKind::kSection) break;
    if (parsed.kind != LineKind::kKey || !EqualsIgnoringCase(parsed.name, key)) continue;
    std::string_view value = text.substr(parsed.valueBegin, lines[i].contentEnd - parsed.valueBegin);
    value = value.substr(0, value.find('\0'));
    value = Trim(value);
    return std::string(value.substr(0, kMaxIniValueLength));
  }
  return std::nullopt;
}

bool HasIniSection(std::string_view text, std::string_view section) {
  const std::vector<Line> lines = SplitLines(text);
  return FindSection(text, lines, section) < lines.size();
}

bool IsWritableIniEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreakOrZero(section) || HasLineBreakOrZero(key) || HasLineBreakOrZero(value)) return false;
  if (section.find(']') != section.npos || Trim(section) != section) return false;
  if (key.empty() || Trim(key) != key || key.find('=') != key.npos) return false;
  return key.front() != '[' && key.front() != ';';
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  const std::string_view eol = LineEndOf(text, lines);
  std::string entry;
  entry.append(key).append("=").append(value);

  const std::size_t header = FindSection(text, lines, section);
  if (header == lines.size()) {
    std::string result(text);
    if (!result.empty() && result.back() != '\n' && result.back() != '\r') result.append(eol);
    if (!lines.empty() &&
        !Trim(text.substr(lines.back().begin, lines.back().contentEnd - lines.back().begin)).empty()) {
      result.append(eol);  // a blank line between the sections
    }
    result.append("[").append(section).append("]").append(eol).append(entry).append(eol);
    return result;
  }

  std::size_t lastFilled = header;
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(text, lines[i]);
    if (parsed.kind == LineKind::kSection) break;
    if (parsed.kind == LineKind::kKey && EqualsIgnoringCase(parsed.name, key)) {
      std::string result(text.substr(0, parsed.valueBegin));
      result.append(value).append(text.substr(lines[i].contentEnd));
      return result;
    }
    if (!Trim(text.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin)).empty()) lastFilled = i;
  }
  const Line& after = lines[lastFilled];
  std::string result(text.substr(0, after.end));
  if (after.end == after.contentEnd) result.append(eol);  // the last line of the text had no line end
  result.append(entry).append(eol).append(text.substr(after.end));
  return result;
}

}  // namespace helvanta
