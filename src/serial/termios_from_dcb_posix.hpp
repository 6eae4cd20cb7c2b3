#pragma once

#include <termios.h>

#include <optional>

#include "serial/dcb.hpp"

namespace helvanta {

// The device control record as terminal attributes: raw, receiver on, modem control
// lines ignored for carrier, no hang-up on close, reads that return at once. `base` is
// the device's current attributes; what the record does not speak of is kept. Gives
// nothing when the record asks for what termios cannot express (a bit rate without a
// speed constant, a byte size outside 5..8, an unknown parity or stop-bit code).
// Pure: only the result depends on the arguments.
std::optional<termios> DcbToTermios(const Dcb& dcb, const termios& base);

// Which modem control lines (TIOCM_DTR, TIOCM_RTS) the record wants raised and which
// lowered; DTR and RTS are not part of termios.
struct ModemLineChange {
  int raise = 0;
  int lower = 0;
};
ModemLineChange ModemLinesFromDcb(const Dcb& dcb);

}  // namespace helvanta
