#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace helvanta {

// An output's connection to a service elsewhere (the MQTT broker, PVOutput), as the
// metrics show it. Each such output fills one; the others have none.
struct TOutputLink {
  std::string output;  // the metrics' label: "mqtt", "pvoutput"
  bool connected = false;
  std::optional<std::int64_t> lastSuccessUnix;  // seconds since 1970 UTC; nothing before the first
};

// Helvanta's own counts since the start, kept by the host core on the main thread and
// handed to the outputs at each tick.
struct THostFigures {
  std::uint64_t answersReceived = 0;
  std::uint64_t answersMissed = 0;  // requests left without a good answer
  std::uint64_t damagedWords = 0;
  std::uint64_t recordsWritten = 0;
  std::uint64_t marksSkipped = 0;  // logging marks that passed without a record
  std::uint64_t reconnects = 0;    // openings of the port after the first
  std::uint64_t historyRowsWritten = 0;
  bool lineUp = false;             // the port is open and the inverter answered within the presence window
  std::vector<TOutputLink> links;  // from the last tick, in the outputs' order
};

}  // namespace helvanta
