#include "support/file_bytes.hpp"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace helvanta::testing {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BinaryGarbage() {
  std::string bytes;
  unsigned state = 12345;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>((state >> 16) & 0xFF));
  }
  return bytes;
}

}  // namespace helvanta::testing
