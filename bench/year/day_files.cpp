#include "year/day_files.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "logging/log_record.hpp"

namespace helvanta::year {

namespace {

std::string ReadFrom(const std::string& path, std::uint64_t offset) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<TRecord> TDayFiles::NewRecords(const DateTime& day) {
  const std::string path = DailyLogFilePath(day);
  std::uint64_t& read = read_[path];
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::vector<TRecord> records;
  if (error || size <= read) return records;
  const std::string bytes = ReadFrom(path, read);
  const std::vector<std::string> lines = CompleteLines(bytes);
  for (const std::string& line : lines) {
    read += line.size() + 2;
    TRecord record;
    if (ParseRecord(line, record)) records.push_back(std::move(record));
  }
  return records;
}

std::uint64_t TDayFiles::CountRecords(const std::string& folder) {
  std::uint64_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".csv") continue;
    TRecord record;
    for (const std::string& line : CompleteLines(ReadFrom(entry.path().string(), 0)))
      count += ParseRecord(line, record);
  }
  return count;
}

}  // namespace helvanta::year
