// An arbitrary template cut into lines, its last line filled as the record pattern.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "link/measurands.hpp"
#include "logging/record_pattern.hpp"
#include "logging/template_lines.hpp"

using helvanta::fuzz::Require;

namespace {

bool HasLineEndOrZero(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace helvanta;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitTemplateLines(text);

  // The lines are the text up to its first zero byte with the line ends taken out.
  std::string joined;
  for (const std::string& line : lines) {
    Require(!HasLineEndOrZero(line), "a template line holds a line end or a zero byte");
    joined += line;
  }
  std::string content(text.substr(0, text.find('\0')));
  std::erase_if(content, [](char c) { return c == '\r' || c == '\n'; });
  Require(joined == content, "template text lost, added or reordered");

  // Every row gets a value shaped like a placeholder.
  InitMeasurands();
  for (int i = 0; i < kMeasurandCount; ++i) {
    Measurands[static_cast<std::size_t>(i)].Value = '%' + std::to_string(i % 33) + '%';
  }
  const std::string pattern = lines.empty() ? std::string() : lines.back();
  const DateTime now{2026, 12, 8, 13, 45, 0, 0};
  const std::string record = FillRecordPattern(pattern, now, DateTimeSeparators{});
  Require(!HasLineEndOrZero(record), "a record holds a line end or a zero byte");
  Require(std::count(record.begin(), record.end(), ';') == std::count(pattern.begin(), pattern.end(), ';'),
          "filling adds or removes a field separator");
  const std::size_t firstPercent = pattern.find('%');
  Require(record.starts_with(std::string_view(pattern).substr(0, firstPercent)), "text before a placeholder changed");
  if (firstPercent == pattern.npos) Require(record == pattern, "a pattern without placeholders changed");
  return 0;
}
