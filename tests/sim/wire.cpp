#include "sim/wire.hpp"

#include "link/measurands.hpp"

namespace helvanta::sim::test {

namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;

char Xor(std::string_view bytes) {
  char x = 0;
  for (char c : bytes) x = static_cast<char>(x ^ c);
  return x;
}

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::string RawRequest(std::string_view prefix, std::string_view code, char end, std::optional<char> bcc) {
  std::string t(1, kStx);
  t += prefix;
  t += code;
  t += end;
  t += bcc ? *bcc : Xor(t);
  return t;
}

std::string Request(std::string_view code) { return RawRequest("0053??", code, kEtx); }

bool Answer::WellFramed() const {
  return frame.size() == 13 && frame[0] == kStx && frame[11] == kEtx &&
         Xor(std::string_view(frame).substr(0, 12)) == frame[12];
}

bool Answer::WordIsHex() const {
  const std::string w = Word();
  for (char c : w) {
    if (!IsUpperHex(c)) return false;
  }
  return true;
}

std::uint16_t Answer::WordValue() const { return static_cast<std::uint16_t>(std::stoul(Word(), nullptr, 16)); }

std::vector<Answer> CutAnswers(std::string_view stream, std::string* rest) {
  std::vector<Answer> answers;
  while (true) {
    const std::size_t stx = stream.find(kStx);
    if (stx == std::string_view::npos || stream.size() - stx < 13) break;
    answers.push_back({std::string(stream.substr(0, stx)), std::string(stream.substr(stx, 13))});
    stream.remove_prefix(stx + 13);
  }
  if (rest != nullptr) *rest = std::string(stream);
  return answers;
}

std::vector<std::string> AllCodes() {
  std::vector<std::string> codes;
  for (const MeasurandDefinition& d : MeasurandDefinitions()) codes.emplace_back(d.descriptor.substr(0, 4));
  return codes;
}

}  // namespace helvanta::sim::test
