#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace helvanta::sim::test {

// The tests' own view of the telegrams, written apart from the program's codec.

// A request telegram for a four-character code: STX "0053??" code ETX BCC.
std::string Request(std::string_view code);
// The same with the prefix and the block check chosen freely.
std::string RawRequest(std::string_view prefix, std::string_view code, char end, std::optional<char> bcc = {});

// One answer cut from the received stream: the bytes before its STX and its 13 bytes.
struct Answer {
  std::string leading;
  std::string frame;

  bool WellFramed() const;  // STX, ETX at byte 12, block check right
  std::string Code() const { return frame.substr(3, 4); }
  std::string Word() const { return frame.substr(7, 4); }
  bool WordIsHex() const;  // four upper-case hexadecimal digits
  std::uint16_t WordValue() const;
};

// Cuts a stream into answers; bytes after the last whole answer are left in `rest`.
std::vector<Answer> CutAnswers(std::string_view stream, std::string* rest = nullptr);

// The request codes of the measurand table, in polling order.
std::vector<std::string> AllCodes();

}  // namespace helvanta::sim::test
