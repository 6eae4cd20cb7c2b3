// An arbitrary language file loaded from disk, its texts composed into messages.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/language.hpp"
#include "fuzz_support.hpp"

using helvanta::fuzz::Require;

namespace {

constexpr std::string_view kMarker = "\\n";
constexpr char kBreak = '\x01';  // a line break that no text or argument holds

std::size_t CountMarkers(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(kMarker); pos != text.npos; pos = text.find(kMarker, pos + kMarker.size())) ++count;
  return count;
}

void CheckCompose(std::string text, std::string argument) {
  std::erase(text, kBreak);
  std::erase(argument, kBreak);
  const std::string message = helvanta::ComposeMessage(text, argument, std::string_view(&kBreak, 1));
  Require(static_cast<std::size_t>(std::count(message.begin(), message.end(), kBreak)) == CountMarkers(text),
          "a line break marker was not turned into a line break");
  if (!argument.empty() && text.find("%s") != text.npos) {
    Require(message.find(argument) != message.npos, "the argument is missing or changed");
  }
  Require(helvanta::ComposeMessage(text, "", "\r\n").find(kMarker) == std::string::npos,
          "a line break marker was left in the message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string argument = in.ConsumeRandomLengthString(32);
  const std::string file = in.ConsumeRemainingBytesAsString();

  static const std::string path = helvanta::fuzz::TempFile("Helvanta.lng");
  helvanta::fuzz::WriteFile(path, file);
  helvanta::TLanguageList list;
  list.LoadFromFile(path);

  // The first line's key finds the first line's value.
  const std::string_view first = std::string_view(file).substr(0, file.find_first_of(std::string_view("\r\n\0", 3)));
  const std::size_t eq = first.find('=');
  const std::string_view key = eq == first.npos ? std::string_view("0007") : first.substr(0, eq);
  const std::string text = list.LookupText(key);
  if (eq != first.npos) Require(text == first.substr(eq + 1), "the first line's key does not find its value");
  Require(text.find_first_of(std::string_view("\r\n\0", 3)) == text.npos, "a text holds a line end or a zero byte");

  CheckCompose(text, argument);
  CheckCompose(file, argument);
  return 0;
}
