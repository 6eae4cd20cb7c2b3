#include "text/json_writer.hpp"

namespace helvanta {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void TJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (hasItems_.empty()) return;
  if (hasItems_.back()) out_ += ',';
  hasItems_.back() = true;
}

TJsonWriter& TJsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  hasItems_.push_back(false);
  return *this;
}

TJsonWriter& TJsonWriter::Close(char bracket) {
  out_ += bracket;
  if (!hasItems_.empty()) hasItems_.pop_back();
  return *this;
}

TJsonWriter& TJsonWriter::BeginObject() { return Open('{'); }
TJsonWriter& TJsonWriter::EndObject() { return Close('}'); }
TJsonWriter& TJsonWriter::BeginArray() { return Open('['); }
TJsonWriter& TJsonWriter::EndArray() { return Close(']'); }

TJsonWriter& TJsonWriter::Key(std::string_view utf8) {
  String(utf8);
  out_ += ':';
  afterKey_ = true;
  return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  BeforeValue();
  out_ += '"';
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += c;
    } else if (byte < 0x20) {
      out_ += "\\u00";
      out_ += kHex[byte >> 4];
      out_ += kHex[byte & 0x0F];
    } else {
      out_ += c;
    }
  }
  out_ += '"';
  return *this;
}

TJsonWriter& TJsonWriter::Number(std::int64_t value) { return RawNumber(std::to_string(value)); }

TJsonWriter& TJsonWriter::RawValue(std::string_view json) {
  BeforeValue();
  out_ += json;
  return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) { return RawNumber(value ? "true" : "false"); }

TJsonWriter& TJsonWriter::Null() { return RawNumber("null"); }

bool IsJsonNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  if (i == text.size() || !IsDigit(text[i])) return false;
  if (text[i] == '0' && i + 1 < text.size() && IsDigit(text[i + 1])) return false;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (i == text.size() || !IsDigit(text[i])) return false;
    while (i < text.size() && IsDigit(text[i])) ++i;
  }
  return i == text.size();
}

}  // namespace helvanta
