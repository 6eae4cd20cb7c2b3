#include "config/ini_file.hpp"

#include <charconv>

#include "config/file_access.hpp"
#include "config/ini_text.hpp"

namespace helvanta {

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  FileBytes content = ReadFileBytes(path_);
  readStatus_ = content.status;
  if (content.status == FileReadStatus::kOk) text_ = std::move(content.bytes);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return FindIniValue(text_, section, key).has_value();
}

bool IniFile::HasSection(std::string_view section) const { return HasIniSection(text_, section); }

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  std::optional<std::string> value = FindIniValue(text_, section, key);
  return value ? std::move(*value) : std::string(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
  const std::optional<std::string> value = FindIniValue(text_, section, key);
  if (!value) return defaultValue;
  return ParseIniInteger(*value).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsWritableIniEntry(section, key, value)) return false;
  // The file as it is now, so that changes made meanwhile by another process are kept.
  FileBytes current = ReadFileBytes(path_);
  if (current.status != FileReadStatus::kOk && current.status != FileReadStatus::kMissing) return false;
  std::string updated = SetIniValue(current.bytes, section, key, value);
  if (!ReplaceFileContent(path_, updated)) return false;
  text_ = std::move(updated);
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::optional<std::int32_t> ParseIniInteger(std::string_view value) {
  int base = 10;
  if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
    value.remove_prefix(2);
    base = 16;
  } else if (value.size() > 1 && value[0] == '+') {
    value.remove_prefix(1);  // from_chars takes "-" but not "+"
    if (value[0] == '-') return std::nullopt;
  }
  if (base == 16 && (value[0] == '-' || value[0] == '+')) return std::nullopt;
  std::int32_t result = 0;
  const char* const end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, result, base);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return result;
}

}  // namespace helvanta
