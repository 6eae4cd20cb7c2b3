#include "text/gzip.hpp"

#include <array>
#include <cstdint>
#include <vector>

namespace helvanta {

namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr int kChainLimit = 512;
constexpr std::size_t kHashBits = 15;

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                      33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate's bit order: values least significant bit first, Huffman codes most significant first.
class TBitWriter {
 public:
  explicit TBitWriter(std::string& out) : out_(out) {}
  void Bits(std::uint32_t value, int count) {
    buffer_ |= static_cast<std::uint64_t>(value) << filled_;
    filled_ += count;
    while (filled_ >= 8) {
      out_ += static_cast<char>(buffer_ & 0xFFu);
      buffer_ >>= 8;
      filled_ -= 8;
    }
  }
  void Code(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Bits(reversed, length);
  }
  void Flush() {
    if (filled_ > 0) Bits(0, 8 - filled_);
  }

 private:
  std::string& out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

void Literal(TBitWriter& bits, unsigned symbol) {
  if (symbol < 144) {
    bits.Code(0x30 + symbol, 8);
  } else if (symbol < 256) {
    bits.Code(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    bits.Code(symbol - 256, 7);
  } else {
    bits.Code(0xC0 + symbol - 280, 8);
  }
}

void Match(TBitWriter& bits, std::size_t length, std::size_t distance) {
  std::size_t code = 0;
  while (code + 1 < kLengthBase.size() && kLengthBase[code + 1] <= length) ++code;
  Literal(bits, static_cast<unsigned>(257 + code));
  bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[code]), kLengthExtra[code]);
  std::size_t d = 0;
  while (d + 1 < kDistanceBase.size() && kDistanceBase[d + 1] <= distance) ++d;
  bits.Code(static_cast<std::uint32_t>(d), 5);
  bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Little32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

// Finds matches through chains of earlier positions with the same three bytes.
class TMatcher {
 public:
  explicit TMatcher(std::string_view bytes)
      : bytes_(bytes), head_(std::size_t{1} << kHashBits, kNone), previous_(kWindow, kNone) {}

  void Insert(std::size_t at) {
    if (at + kMinMatch > bytes_.size()) return;
    const std::size_t h = Hash(at);
    previous_[at % kWindow] = head_[h];
    head_[h] = at;
  }

  // The longest earlier match at the position: {length, distance}, length 0 when none.
  std::pair<std::size_t, std::size_t> Longest(std::size_t at) const {
    std::pair<std::size_t, std::size_t> best{0, 0};
    if (at + kMinMatch > bytes_.size()) return best;
    const std::size_t most = std::min(kMaxMatch, bytes_.size() - at);
    std::size_t candidate = head_[Hash(at)];
    for (int chain = 0; candidate != kNone && at - candidate <= kWindow && chain < kChainLimit; ++chain) {
      if (candidate < at && bytes_[candidate + best.first] == bytes_[at + best.first]) {
        std::size_t length = 0;
        while (length < most && bytes_[candidate + length] == bytes_[at + length]) ++length;
        if (length > best.first) {
          best = {length, at - candidate};
          if (length == most) break;
        }
      }
      const std::size_t next = previous_[candidate % kWindow];
      if (next == kNone || next >= candidate) break;
      candidate = next;
    }
    return best.first >= kMinMatch ? best : std::pair<std::size_t, std::size_t>{0, 0};
  }

 private:
  static constexpr std::size_t kNone = SIZE_MAX;

  std::size_t Hash(std::size_t at) const {
    const std::uint32_t v = static_cast<unsigned char>(bytes_[at]) | static_cast<unsigned char>(bytes_[at + 1]) << 8 |
                            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + 2])) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
  }

  std::string_view bytes_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> previous_;
};

}  // namespace

std::string Gzip(std::string_view bytes) {
  // Header: deflate, no name, no time, no flags, operating system unknown.
  std::string out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
  TBitWriter bits(out);
  bits.Bits(1, 1);  // the last block
  bits.Bits(1, 2);  // fixed Huffman codes
  TMatcher matcher(bytes);
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::pair<std::size_t, std::size_t> match = matcher.Longest(at);
    matcher.Insert(at);
    // A longer match one byte on is worth a literal first.
    while (match.first > 0 && match.first < kMaxMatch) {
      const std::pair<std::size_t, std::size_t> later = matcher.Longest(at + 1);
      if (later.first <= match.first) break;
      Literal(bits, static_cast<unsigned char>(bytes[at]));
      ++at;
      matcher.Insert(at);
      match = later;
    }
    if (match.first == 0) {
      Literal(bits, static_cast<unsigned char>(bytes[at]));
      ++at;
      continue;
    }
    Match(bits, match.first, match.second);
    for (std::size_t i = 1; i < match.first; ++i) matcher.Insert(at + i);
    at += match.first;
  }
  Literal(bits, 256);
  bits.Flush();
  Little32(out, Crc32(bytes));
  Little32(out, static_cast<std::uint32_t>(bytes.size()));
  return out;
}

}  // namespace helvanta
