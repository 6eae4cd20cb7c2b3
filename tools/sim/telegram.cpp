#include "sim/telegram.hpp"

#include "link/codec.hpp"

namespace helvanta::sim {

namespace {

constexpr std::size_t kSize = static_cast<std::size_t>(kTelegramSize);
constexpr std::size_t kCodeAt = 1 + kRequestPrefix.size();
constexpr std::size_t kCodeSize = 4;
constexpr std::size_t kEtxAt = kCodeAt + kCodeSize;

}  // namespace

char BlockCheck(std::string_view bytes) {
  char bcc = 0;
  for (const char c : bytes) bcc = static_cast<char>(bcc ^ c);
  return bcc;
}

std::string WordText(std::uint16_t word) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[word & 0xF];
    word = static_cast<std::uint16_t>(word >> 4);
  }
  return text;
}

std::string BuildAnswerFrame(std::string_view code, std::string_view wordText) {
  std::string frame;
  frame += STX;
  frame += "00";
  frame += code;
  frame += wordText;
  frame += ETX;
  frame += BlockCheck(frame);
  return frame;
}

std::string_view ResultName(RequestResult result) {
  switch (result) {
    case RequestResult::Ok: return "ok";
    case RequestResult::Truncated: return "truncated";
    case RequestResult::BadEtx: return "bad-etx";
    case RequestResult::BadBcc: return "bad-bcc";
    case RequestResult::BadPrefix: return "bad-prefix";
    case RequestResult::UnknownCode: return "unknown-code";
  }
  return "?";
}

std::optional<ReceivedTelegram> RequestParser::Feed(char byte, std::int64_t nowMicros) {
  std::optional<ReceivedTelegram> done = Expire(nowMicros);
  lastByteMicros_ = nowMicros;
  if (buffer_.empty()) {
    if (byte == STX) {
      buffer_ += byte;
    } else {
      ++skipped_;
    }
    return done;
  }
  // Only the block check may be an STX inside a telegram; anywhere else it starts a
  // new one and the old one lost bytes.
  if (byte == STX && buffer_.size() < kSize - 1) {
    done = Truncated();
    buffer_.assign(1, byte);
    return done;
  }
  buffer_ += byte;
  if (buffer_.size() == kSize) {
    done = Check();
    buffer_.clear();
  }
  return done;
}

std::optional<ReceivedTelegram> RequestParser::Expire(std::int64_t nowMicros) {
  if (buffer_.empty() || nowMicros - lastByteMicros_ < kGapMicros) return std::nullopt;
  ReceivedTelegram t = Truncated();
  buffer_.clear();
  return t;
}

std::optional<std::int64_t> RequestParser::Deadline() const {
  if (buffer_.empty()) return std::nullopt;
  return lastByteMicros_ + kGapMicros;
}

ReceivedTelegram RequestParser::Truncated() const {
  ReceivedTelegram t;
  t.code = buffer_.size() >= kEtxAt ? buffer_.substr(kCodeAt, kCodeSize) : "-";
  t.result = RequestResult::Truncated;
  return t;
}

ReceivedTelegram RequestParser::Check() const {
  ReceivedTelegram t;
  t.code = buffer_.substr(kCodeAt, kCodeSize);
  const std::string_view bytes(buffer_);
  if (bytes[kEtxAt] != ETX) {
    t.result = RequestResult::BadEtx;
  } else if (BlockCheck(bytes.substr(0, kSize - 1)) != bytes[kSize - 1]) {
    t.result = RequestResult::BadBcc;
  } else if (bytes.substr(1, kRequestPrefix.size()) != kRequestPrefix) {
    t.result = RequestResult::BadPrefix;
  }
  return t;
}

}  // namespace helvanta::sim
