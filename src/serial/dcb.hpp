#pragma once

#include <cstdint>

namespace helvanta {

class TCustomComPort;

// The device control record: the whole line configuration as one plain value, built
// afresh from the port's settings each time it is applied. Fields not set by BuildDcb
// stay zero.
struct Dcb {
  std::uint32_t DCBlength = 0;
  std::uint32_t BaudRate = 0;
  std::uint8_t fBinary = 0;
  std::uint8_t fParity = 0;
  std::uint8_t fOutxCtsFlow = 0;
  std::uint8_t fOutxDsrFlow = 0;
  std::uint8_t fDtrControl = 0;  // 0 disable, 1 enable, 2 handshake
  std::uint8_t fDsrSensitivity = 0;
  std::uint8_t fTXContinueOnXoff = 0;
  std::uint8_t fOutX = 0;
  std::uint8_t fInX = 0;
  std::uint8_t fErrorChar = 0;
  std::uint8_t fNull = 0;
  std::uint8_t fRtsControl = 0;  // 0 disable, 1 enable, 2 handshake, 3 toggle
  std::uint8_t fAbortOnError = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;

  friend bool operator==(const Dcb&, const Dcb&) = default;
};

inline constexpr std::uint32_t kDcbLength = 28;

// The bit rate a TBaudRate stands for; brCustom gives customBaudRate.
std::uint32_t BaudRateValue(int baudRateOrdinal, int customBaudRate);

// The record for the port's current settings; no side effects.
Dcb BuildDcb(const TCustomComPort& port);

// The five timeouts as handed to the driver; -1 in the settings is all bits set.
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;

  friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

CommTimeouts BuildCommTimeouts(const TCustomComPort& port);

}  // namespace helvanta
