#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace helvanta {

// The inverter's two error registers as last answered within the presence window.
struct TErrorRegisters {
  std::optional<std::string> errorCode;  // the hexadecimal text received ("0000")
  std::optional<std::string> state;

  // Whether either register is non-zero; nothing while neither has an answer.
  std::optional<bool> Problem() const;
  // "Error specification 0012, Error state 0000", "?" for a register without an answer.
  std::string Text() const;
};

// Reads the measurand table, so only the main thread may call it.
TErrorRegisters ErrorRegisters(std::int64_t nowMs);

}  // namespace helvanta
