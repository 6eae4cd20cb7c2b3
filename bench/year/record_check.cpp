#include "year/record_check.hpp"

#include <charconv>

namespace helvanta::year {

namespace {

constexpr char kSeparator = ';';

std::string_view Trimmed(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  return field;
}

bool Number(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// "mm.dd.yyyy" and "hh:nn:ss".
bool ParseTime(std::string_view date, std::string_view time, DateTime& t) {
  if (date.size() != 10 || time.size() != 8 || date[2] != '.' || date[5] != '.' || time[2] != ':' || time[5] != ':') {
    return false;
  }
  return Number(date.substr(0, 2), t.month) && Number(date.substr(3, 2), t.day) && Number(date.substr(6, 4), t.year) &&
         Number(time.substr(0, 2), t.hour) && Number(time.substr(3, 2), t.minute) &&
         Number(time.substr(6, 2), t.second);
}

}  // namespace

std::string RecordTemplate() {
  std::string header = "Date;Time";
  std::string record = "%date%;%time%";
  for (int row = 0; row < kDisplayRowCount; ++row) {
    header += kSeparator;
    header += RowCaption(row);
    record += kSeparator;
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "literal" + to_string.
    record += '%';
    record += std::to_string(row + 1);
    record += '%';
  }
  return header + "\r\n" + record + "\r\n";
}

bool ParseRecord(std::string_view line, TRecord& record) {
  std::array<std::string_view, 2 + kDisplayRowCount> fields;
  std::size_t count = 0;
  for (std::size_t from = 0;;) {
    const std::size_t end = line.find(kSeparator, from);
    if (count == fields.size()) return false;
    fields[count++] = Trimmed(line.substr(from, end == std::string_view::npos ? end : end - from));
    if (end == std::string_view::npos) break;
    from = end + 1;
  }
  if (count != fields.size() || !ParseTime(fields[0], fields[1], record.time)) return false;
  for (int row = 0; row < kDisplayRowCount; ++row) record.values[static_cast<std::size_t>(row)] = fields[2 + row];
  return true;
}

std::vector<std::string> CompleteLines(std::string_view bytes) {
  std::vector<std::string> lines;
  for (std::size_t from = 0;;) {
    const std::size_t end = bytes.find("\r\n", from);
    if (end == std::string_view::npos) return lines;
    lines.emplace_back(bytes.substr(from, end - from));
    from = end + 2;
  }
}

std::vector<int> UnsentRows(const TRecord& record, const TSentValues& sent, std::int64_t atMs) {
  std::vector<int> rows;
  for (int row = 0; row < kDisplayRowCount; ++row) {
    if (!sent.Sent(IndexOfRow(row), record.values[static_cast<std::size_t>(row)], atMs)) rows.push_back(row);
  }
  return rows;
}

}  // namespace helvanta::year
