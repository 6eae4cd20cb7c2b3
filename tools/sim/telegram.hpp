#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace helvanta::sim {

// Exclusive-or of all bytes.
char BlockCheck(std::string_view bytes);

// Four upper-case hexadecimal digits.
std::string WordText(std::uint16_t word);

// STX, "00", the request code, the word text, ETX and the block check of the 12 bytes
// before it.
std::string BuildAnswerFrame(std::string_view code, std::string_view wordText);

enum class RequestResult { Ok, Truncated, BadEtx, BadBcc, BadPrefix, UnknownCode };

std::string_view ResultName(RequestResult result);

struct ReceivedTelegram {
  std::string code;  // "-" when the telegram ended before its code
  RequestResult result = RequestResult::Ok;
};

// Cuts the received byte stream into request telegrams. Bytes outside a telegram are
// skipped up to the next STX; a telegram broken off by a new STX or by a pause of
// kGapMicros counts as truncated. Whether the code is known is the caller's check.
class RequestParser {
 public:
  static constexpr std::int64_t kGapMicros = 300'000;

  std::optional<ReceivedTelegram> Feed(char byte, std::int64_t nowMicros);
  // Ends a telegram whose bytes stopped coming.
  std::optional<ReceivedTelegram> Expire(std::int64_t nowMicros);
  // When Expire has something to do, if a telegram is open.
  std::optional<std::int64_t> Deadline() const;
  std::uint64_t SkippedBytes() const { return skipped_; }

 private:
  ReceivedTelegram Truncated() const;
  ReceivedTelegram Check() const;

  std::string buffer_;
  std::int64_t lastByteMicros_ = 0;
  std::uint64_t skipped_ = 0;
};

}  // namespace helvanta::sim
