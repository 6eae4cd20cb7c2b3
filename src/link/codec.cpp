#include "link/codec.hpp"

#include <charconv>
#include <cstddef>

#include "link/measurands.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

namespace {

// Characters 7..10 (1-based) of an answer packet hold the data word.
constexpr std::size_t kWordOffset = 6;
constexpr std::size_t kWordSize = 4;
constexpr std::size_t kLowByteOffset = 2;  // within the word
constexpr std::size_t kLowByteSize = 2;
constexpr std::size_t kMaxHexDigits = 8;

constexpr int kFrequencyIndex = 4;
constexpr int kMinutesSecondsIndex = 18;

// Packet characters a..a+n-1 (0-based a); whatever of them exists.
std::string_view Slice(std::string_view text, std::size_t offset, std::size_t size) {
  if (offset >= text.size()) return {};
  return text.substr(offset, size);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The conversion of "0x" + digits: up to eight digits form a 32-bit two's-complement
// pattern, a NUL ends the digits, anything else fails; a failure reads as 0.
std::int32_t HexValue(std::string_view digits) {
  std::uint32_t bits = 0;
  std::size_t count = 0;
  for (char c : digits) {
    if (c == '\0') break;
    const int d = HexDigit(c);
    if (d < 0 || count == kMaxHexDigits) return 0;
    bits = (bits << 4) | static_cast<std::uint32_t>(d);
    ++count;
  }
  if (count == 0) return 0;
  return static_cast<std::int32_t>(bits);
}

// Four hexadecimal digits; anything else is a damaged word, not a value.
bool IsDataWord(std::string_view word) {
  if (word.size() != kWordSize) return false;
  for (char c : word) {
    if (HexDigit(c) < 0) return false;
  }
  return true;
}

int ScaleFlag(const TMeasurand& m) { return m.Descriptor.size() > 4 ? m.Descriptor[4] : '0'; }
bool Combines(const TMeasurand& m) { return m.Descriptor.size() > 5 && m.Descriptor[5] == '1'; }

std::string Fixed(float v, int decimals) {
  // Enough for any float in fixed notation with two decimals.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v), std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

float DecodeWord(std::string_view word, std::int32_t index) {
  float v = static_cast<float>(HexValue(word));
  if (index >= 0 && index <= 3) {
    v = static_cast<float>(HexValue(word.substr(kLowByteOffset, kLowByteSize)));
  }
  const TMeasurand& entry = Measurands[static_cast<std::size_t>(index)];
  if (Combines(entry) && index > 0) {
    const std::string& low = Measurands[static_cast<std::size_t>(index - 1)].RawWord;
    std::string digits(word);
    digits += low;
    v = static_cast<float>(HexValue(digits));
  }
  if (index == kFrequencyIndex && v != 0.0f) {
    // The word is a period in microseconds.
    long double period = 1.0L / static_cast<long double>(v);
    period = period * 1000000.0L;
    v = static_cast<float>(period);
  }
  switch (ScaleFlag(entry)) {
    case '1': v = static_cast<float>(static_cast<long double>(v) * 0.1L); break;
    case '2': v = static_cast<float>(static_cast<long double>(v) * 0.01L); break;
    default: break;
  }
  return v;
}

}  // namespace

std::string BuildRequest(std::int32_t& MeasurandIndex) {
  if (MeasurandIndex >= kMeasurandCount - 1 || MeasurandIndex < -1) {
    MeasurandIndex = 0;
  } else {
    ++MeasurandIndex;
  }
  TMeasurand& entry = Measurands[static_cast<std::size_t>(MeasurandIndex)];
  entry.Value = kNotAvailable;

  std::string telegram;
  telegram.reserve(kTelegramSize);
  telegram += STX;
  telegram += kRequestPrefix;
  telegram += std::string_view(entry.Descriptor).substr(0, 4);
  telegram += ETX;
  char check = 0;
  for (char c : telegram) check = static_cast<char>(check ^ c);
  telegram += check;
  return telegram;
}

bool HasDataWord(std::string_view packet) { return IsDataWord(Slice(packet, kWordOffset, kWordSize)); }

bool DecodeAnswer(std::string_view packet, std::int32_t index) {
  if (index < 0 || index >= kMeasurandCount) return false;
  TMeasurand& entry = Measurands[static_cast<std::size_t>(index)];
  const std::string_view word = Slice(packet, kWordOffset, kWordSize);
  // A damaged word leaves the entry waiting for the next answer, and RawWord keeps the
  // last good word, so a 32-bit value never combines with a damaged half.
  if (!IsDataWord(word)) return false;
  // The high word of a 32-bit value counts only with the low word answered for the request
  // just before. A low word of an earlier cycle would join halves of two different counts
  // (an AC power of 1307 W for 655 W once the count passed 65536 in between) or date an
  // old count as new; a high word alone is no value at all.
  if (Combines(entry) && index > 0 && Measurands[static_cast<std::size_t>(index - 1)].Value == kNotAvailable) {
    return false;
  }
  entry.RawWord = word;

  const float v = DecodeWord(word, index);
  switch (index) {
    case 37:
    case 38:
      // The error registers are shown as the hexadecimal text received.
      entry.Value = word;
      break;
    case 0:
    case 17:
    case 41:
    case 42: entry.Value = Fixed(v, 0); break;
    default: entry.Value = Fixed(v, 2); break;
  }
  if (index == kMinutesSecondsIndex) {
    // The word holds minutes * 100 + seconds.
    if (const auto dot = entry.Value.find('.'); dot != std::string::npos) entry.Value[dot] = ':';
  }
  entry.GoodValue = entry.Value;
  entry.GoodAtMs = ProgramClock().ElapsedMs();
  return true;
}

}  // namespace helvanta
