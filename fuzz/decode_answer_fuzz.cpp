// Arbitrary answer packets, none to three a request, credited by the answer router and
// decoded for the measurands in polling order; whatever arrives, the record line filled
// from the table afterwards keeps its shape.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "link/answer_router.hpp"
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

  // Each request takes the next packets while the input lasts, then the last one again.
  FuzzedDataProvider in(data, size);
  TAnswerRouter router;
  std::string packet;
  for (int round = 0; round < 3 * kMeasurandCount; ++round) {
    router.Requested(round % kMeasurandCount);
    const int packets = in.remaining_bytes() > 0 ? in.ConsumeIntegralInRange<int>(0, 3) : 1;
    for (int i = 0; i < packets; ++i) {
      if (in.remaining_bytes() > 0) packet = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 16));
      router.Deliver(packet);
    }
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
