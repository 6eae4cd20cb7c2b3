#pragma once

#include <stdexcept>

namespace helvanta {

// A failure of the serial port: a number from 1 to 23 with its fixed English text, and
// the platform's error code (errno here; -1 when the failure has none), which is then
// appended to the text as " (win error code: <code>)".
class EComPort : public std::runtime_error {
 public:
  explicit EComPort(int number, int winCode = -1);

  int Number() const { return number_; }
  int WinCode() const { return winCode_; }

 private:
  int number_;
  int winCode_;
};

// The text of an error number without the code suffix; empty for unknown numbers.
const char* ComErrorText(int number);

inline constexpr int kCeOpen = 1;
inline constexpr int kCeWriteFile = 2;
inline constexpr int kCeReadFile = 3;
inline constexpr int kCeInvalidAsync = 4;
inline constexpr int kCePurgeComm = 5;
inline constexpr int kCeAsyncCheck = 6;
inline constexpr int kCeSetState = 7;
inline constexpr int kCeTimeouts = 8;
inline constexpr int kCeSetupComm = 9;
inline constexpr int kCeClearComm = 10;
inline constexpr int kCeModemStat = 11;
inline constexpr int kCeEscapeComm = 12;
inline constexpr int kCeTransmitChar = 13;
inline constexpr int kCeConnChangeProp = 14;
inline constexpr int kCeEnumPorts = 15;
inline constexpr int kCeStoreFailed = 16;
inline constexpr int kCeLoadFailed = 17;
inline constexpr int kCeRegFailed = 18;
inline constexpr int kCeLedStateFailed = 19;
inline constexpr int kCeThreadCreated = 20;
inline constexpr int kCeWaitFailed = 21;
inline constexpr int kCeHasLink = 22;
inline constexpr int kCeRegError = 23;

}  // namespace helvanta
