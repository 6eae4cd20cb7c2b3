// The packet framer as the hosts set it up (a start byte and a fixed size), fed the
// input in chunks of arbitrary sizes, each in a buffer of exactly its own size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "link/codec.hpp"
#include "serial/comdatapacket.hpp"

using helvanta::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int packetSize = in.ConsumeIntegralInRange(1, 32);
  const bool includeStrings = in.ConsumeBool();
  const int bufferLimit = in.ConsumeIntegralInRange(0, 64);

  helvanta::TComDataPacket framer;
  framer.SetStartString(std::string(1, helvanta::STX));
  framer.SetSize(packetSize);
  framer.SetIncludeStrings(includeStrings);
  framer.SetMaxBufferSize(bufferLimit);

  // Everything that comes out, in order and with the start bytes put back, must be
  // exactly what went in.
  std::string out;
  const std::size_t expected = static_cast<std::size_t>(includeStrings ? packetSize : packetSize - 1);
  framer.OnPacket = [&](helvanta::TComDataPacket*, const std::string& packet) {
    Require(packet.size() == expected, "packet of the wrong size");
    if (!includeStrings) out += helvanta::STX;
    out += packet;
  };
  framer.OnDiscard = [&](helvanta::TComDataPacket*, const std::string& bytes) { out += bytes; };

  std::string fed;
  while (in.remaining_bytes() > 0) {
    const std::vector<char> chunk = in.ConsumeBytes<char>(in.ConsumeIntegralInRange<std::size_t>(1, 40));
    fed.append(chunk.begin(), chunk.end());
    framer.RxBuf(nullptr, chunk.data(), static_cast<int>(chunk.size()));
  }
  framer.EmptyBuffer();
  Require(out == fed, "bytes lost, added or reordered");
  return 0;
}
