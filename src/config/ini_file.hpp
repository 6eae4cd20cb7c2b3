#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/file_access.hpp"

namespace helvanta {

// An INI file read and written one key at a time (format in ini_text.hpp).
//
// Reads use the content taken when the object was made; a missing or unreadable file
// reads as empty, so every key gives its default. Each write takes the file's current
// content again, changes that one key and replaces the file as a whole, creating the
// file and the section when they are missing.
class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& Path() const { return path_; }
  // How the file read when the object was made.
  FileReadStatus ReadStatus() const { return readStatus_; }
  bool HasKey(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;

  // A missing key gives the default; a present but empty one gives "".
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // Decimal with an optional sign, or hexadecimal after "0x"/"0X"; a missing key, an empty
  // value, anything else and numbers outside the signed 32-bit range give the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
  // Read as an integer: any value other than 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // False when the file could not be read or replaced, or the entry holds a line break, a
  // zero byte or a malformed key or section name; the file is then left as it was.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  std::string path_;
  std::string text_;
  FileReadStatus readStatus_ = FileReadStatus::kMissing;
};

// The integer a profile value stands for, as IniFile::ReadInteger reads it.
std::optional<std::int32_t> ParseIniInteger(std::string_view value);

}  // namespace helvanta
