#include "history/file_header.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace helvanta {

namespace {

constexpr std::size_t kHeaderSize = 100;
constexpr std::string_view kMagic{"SQLite format 3\0", 16};

std::uint32_t BigEndian(const std::array<char, kHeaderSize>& header, std::size_t at, std::size_t bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value = value << 8 | static_cast<unsigned char>(header[at + i]);
  return value;
}

bool HasJournal(const std::string& path) {
  for (const char* suffix : {"-wal", "-journal"}) {
    std::error_code error;
    if (std::filesystem::file_size(path + suffix, error) > 0 && !error) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> DatabaseFileDamage(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size == 0) return std::nullopt;
  if (size < kHeaderSize) return "shorter than its header (" + std::to_string(size) + " bytes)";
  std::ifstream file(path, std::ios::binary);
  std::array<char, kHeaderSize> header{};
  // A file that cannot be read is for SQLite to report, with its own reason.
  if (!file.read(header.data(), header.size())) return std::nullopt;
  if (std::string_view(header.data(), kMagic.size()) != kMagic) return "not an SQLite database";
  const std::uint32_t written = BigEndian(header, 16, 2);
  const std::uint32_t pageSize = written == 1 ? 65536 : written;
  if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) {
    return "its header is damaged (page size " + std::to_string(written) + ")";
  }
  // The page count is valid only when written by the change that the header counts last.
  const std::uint32_t pages = BigEndian(header, 28, 4);
  if (pages == 0 || BigEndian(header, 24, 4) != BigEndian(header, 92, 4)) return std::nullopt;
  const std::uintmax_t expected = static_cast<std::uintmax_t>(pages) * pageSize;
  // A checkpoint cut off by a power cut leaves the file short and its pages in the
  // write-ahead log, from which SQLite completes it.
  if (size < expected && !HasJournal(path)) {
    return "cut short: " + std::to_string(size) + " of " + std::to_string(expected) + " bytes";
  }
  return std::nullopt;
}

}  // namespace helvanta
