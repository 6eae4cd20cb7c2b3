#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace helvanta {

// Writes compact JSON, with the commas and the colons in their places: every room that
// speaks JSON (the MQTT payloads, the web page's answers) writes it through this.
// Strings must be UTF-8; control characters, quotes and backslashes are escaped.
class TJsonWriter {
 public:
  TJsonWriter& BeginObject();
  TJsonWriter& EndObject();
  TJsonWriter& BeginArray();
  TJsonWriter& EndArray();
  // The name of the next member of the object under way.
  TJsonWriter& Key(std::string_view utf8);
  TJsonWriter& String(std::string_view utf8);
  TJsonWriter& Number(std::int64_t value);
  // A number already written as JSON writes one (IsJsonNumber holds).
  TJsonWriter& RawNumber(std::string_view json) { return RawValue(json); }
  // A whole value another writer wrote (an object, an array, a string, a number).
  TJsonWriter& RawValue(std::string_view json);
  TJsonWriter& Bool(bool value);
  TJsonWriter& Null();
  TJsonWriter& Member(std::string_view key, std::string_view utf8Value) { return Key(key).String(utf8Value); }

  void Reserve(std::size_t bytes) { out_.reserve(bytes); }
  std::size_t Size() const { return out_.size(); }
  std::string Take() { return std::move(out_); }

 private:
  void BeforeValue();
  TJsonWriter& Open(char bracket);
  TJsonWriter& Close(char bracket);

  std::string out_;
  std::vector<bool> hasItems_;  // one per object or array under way
  bool afterKey_ = false;
};

// Whether the text is a number exactly as JSON writes one ("-12.50", not "012", "1.", "+1").
bool IsJsonNumber(std::string_view text);

}  // namespace helvanta
