// A record pattern and a line of a daily CSV file, as -import reads them: the first line
// of the input is the pattern, the rest the record. A line parsed into a row has every
// shown value either unknown or in hundredths, and its registers as four hex digits.
#include <cstdint>
#include <string_view>

#include "fuzz_support.hpp"
#include "history/record_parser.hpp"

using helvanta::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace helvanta;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t end = text.find('\n');
  const std::string_view pattern = text.substr(0, end);
  const std::string_view line = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  const TRecordParser parser(pattern);
  THistoryRow row;
  if (!parser.Parse(line, row)) return 0;
  for (int r = 0; r < kDisplayRowCount; ++r) {
    const std::string& register_text = row.texts[static_cast<std::size_t>(r)];
    Require(register_text.empty() || !row.hundredths[static_cast<std::size_t>(r)],
            "a row holds a number and a register text at once");
  }
  return 0;
}
