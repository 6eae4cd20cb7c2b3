#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace helvanta::sim::test {

// The program's side of the line: a raw, non-blocking descriptor.
class PtyPort {
 public:
  explicit PtyPort(const std::string& path);
  // Takes over an open descriptor (for example a pseudo-terminal master).
  explicit PtyPort(int fd);
  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  int Fd() const { return fd_; }
  void Write(std::string_view bytes);
  // Whatever is there now, without waiting.
  std::string Drain();
  // Reads until no byte came for quietMs, or maxMs passed.
  std::string ReadUntilQuiet(int quietMs, int maxMs);
  // Reads until `count` bytes came or maxMs passed.
  std::string ReadBytes(std::size_t count, int maxMs);

  // One read() result and when it came.
  struct Piece {
    std::chrono::steady_clock::time_point at;
    std::string bytes;
  };
  // Reads until `count` bytes came or maxMs passed, keeping each read separately.
  std::vector<Piece> ReadPieces(std::size_t count, int maxMs);

 private:
  int fd_ = -1;
};

}  // namespace helvanta::sim::test
