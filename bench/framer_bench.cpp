// Feeds the framer, configured as both hosts configure it (STX start, Size 13), a stream
// of back-to-back 13-byte answers cut into random chunks, and reports packets per second.
// Usage: framer_bench [packets]   (target: more than 5 million packets per second)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "serial/comdatapacket.hpp"

namespace {

constexpr int kAnswerSize = 13;
constexpr std::size_t kStreamAnswers = 100000;
constexpr int kMaxChunk = 32;

}  // namespace

int main(int argc, char** argv) {
  using namespace helvanta;
  const long long wanted = argc > 1 ? std::atoll(argv[1]) : 20000000;
  if (wanted <= 0) {
    std::fprintf(stderr, "usage: framer_bench [packets]\n");
    return 2;
  }

  std::string stream;
  stream.reserve(kStreamAnswers * kAnswerSize);
  for (std::size_t i = 0; i < kStreamAnswers; ++i) {
    char answer[kAnswerSize + 1];
    std::snprintf(answer, sizeof answer, "\x02%s%04X", "0053008E", static_cast<unsigned>(i & 0xFFFF));
    stream.append(answer, kAnswerSize);
  }
  // Chunk lengths as a driver might hand them over: 1 to 32 bytes, fixed seed.
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> chunkLength(1, kMaxChunk);
  std::vector<int> cuts;
  for (std::size_t pos = 0; pos < stream.size();) {
    const int length = static_cast<int>(std::min<std::size_t>(chunkLength(random), stream.size() - pos));
    cuts.push_back(length);
    pos += static_cast<std::size_t>(length);
  }

  TComDataPacket framer;
  framer.SetSize(kAnswerSize);
  framer.SetStartString(std::string(1, '\x02'));
  long long packets = 0;
  std::size_t checksum = 0;
  framer.OnPacket = [&](TComDataPacket*, const std::string& str) {
    ++packets;
    checksum += static_cast<unsigned char>(str.back());
  };
  framer.OnDiscard = [](TComDataPacket*, const std::string& str) {
    std::fprintf(stderr, "unexpected discard of %zu bytes\n", str.size());
    std::exit(1);
  };

  const auto begin = std::chrono::steady_clock::now();
  while (packets < wanted) {
    const char* at = stream.data();
    for (int length : cuts) {
      framer.RxBuf(nullptr, at, length);
      at += length;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;

  std::printf("%lld packets in %.3f s: %.2f million packets per second (checksum %zu)\n", packets, elapsed.count(),
              static_cast<double>(packets) / elapsed.count() / 1e6, checksum);
  return 0;
}
