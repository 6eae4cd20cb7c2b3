// Arbitrary answer packets decoded for every measurand in polling order; whatever
// arrives, the record line filled from the table afterwards keeps its shape.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "logging/record_pattern.hpp"

using helvanta::fuzz::Require;

namespace {

// "%1%;%2%;...;%32%": every row placeholder once.
std::string EveryRowPattern() {
  std::string pattern;
  for (int row = 1; row <= helvanta::kDisplayRowCount; ++row) {
    if (row > 1) pattern += ';';
    pattern += '%' + std::to_string(row) + '%';
  }
  return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace helvanta;
  InitMeasurands();
  for (TMeasurand& m : Measurands) m.RawWord.clear();

  // Each index takes the next packet while the input lasts, then the last one again.
  FuzzedDataProvider in(data, size);
  std::string packet;
  for (int index = 0; index < kMeasurandCount; ++index) {
    if (in.remaining_bytes() > 0) packet = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 16));
    DecodeAnswer(packet, index);
  }
  for (int i = 0; i < kMeasurandCount; ++i) {
    const TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
    Require(m.Descriptor == MeasurandDefinitions()[static_cast<std::size_t>(i)].descriptor, "descriptor changed");
    Require(!m.Value.empty(), "empty value");
  }

  static const std::string pattern = EveryRowPattern();
  const std::string record = FillRecordPattern(pattern, DateTime{}, DateTimeSeparators{});
  Require(std::count(record.begin(), record.end(), ';') == std::count(pattern.begin(), pattern.end(), ';'),
          "a value adds or removes a field separator");
  Require(std::none_of(record.begin(), record.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; }),
          "control byte in the record");
  return 0;
}
