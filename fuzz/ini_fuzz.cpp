// An arbitrary INI text: one key is set, then the text is read again. The key must read
// back the value written and every other key must read as before. The text stays in
// memory: through IniFile every write would wait for the disk.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/ini_text.hpp"
#include "fuzz_support.hpp"

using helvanta::fuzz::Require;

namespace {

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == s.npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Section names and keys the text seems to hold, found by a rough look at its lines;
// they only choose which entries to compare.
void CollectNames(std::string_view text, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  std::size_t pos = 0;
  while (pos < text.size() && sections.size() < 8 && keys.size() < 16) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::string_view line = TrimBlanks(text.substr(pos, end - pos));
    if (!line.empty() && line.front() == '[') {
      sections.emplace_back(TrimBlanks(line.substr(1, line.find(']') - 1)));
    } else if (const std::size_t eq = line.find('='); eq != line.npos) {
      keys.emplace_back(TrimBlanks(line.substr(0, eq)));
    }
    pos = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(16);
  const std::string key = in.ConsumeRandomLengthString(16);
  const std::string value = in.ConsumeRandomLengthString(64);
  const std::string text = in.ConsumeRemainingBytesAsString();
  if (!helvanta::IsWritableIniEntry(section, key, value)) return 0;

  std::vector<std::string> sections{section};
  std::vector<std::string> keys{key};
  CollectNames(text, sections, keys);
  std::vector<std::pair<std::size_t, std::size_t>> others;
  std::vector<std::optional<std::string>> before;
  for (std::size_t s = 0; s < sections.size(); ++s) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      if (SameName(sections[s], section) && SameName(keys[k], key)) continue;
      others.emplace_back(s, k);
      before.push_back(helvanta::FindIniValue(text, sections[s], keys[k]));
    }
  }

  const std::string updated = helvanta::SetIniValue(text, section, key, value);
  const std::string_view expected = TrimBlanks(value).substr(0, helvanta::kMaxIniValueLength);
  Require(helvanta::FindIniValue(updated, section, key) == expected, "the key does not read back the value written");
  for (std::size_t i = 0; i < others.size(); ++i) {
    Require(helvanta::FindIniValue(updated, sections[others[i].first], keys[others[i].second]) == before[i],
            "writing one key changed another");
  }
  return 0;
}
