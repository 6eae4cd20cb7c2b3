#pragma once

#include <stdexcept>
#include <string>

namespace helvanta {

// A failure of the serial port: a number from 1 to 23 with its fixed English text, and
// the platform's error code (-1 when the failure has none). With a code the text goes
// on in parentheses with ComErrorDetail, for example on Linux
// "Unable to open com port (/dev/ttyUSB0: Permission denied, error 13; ...)".
class EComPort : public std::runtime_error {
 public:
  explicit EComPort(int number, int winCode = -1, const std::string& device = {});

  int Number() const { return number_; }
  int WinCode() const { return winCode_; }

 private:
  int number_;
  int winCode_;
};

// What follows an error text with a code: the device (when known), the system's reason
// and the code, and what to do about the common causes of a port that will not open.
// The codes are the platform's, so the platform file words them.
std::string ComErrorDetail(const std::string& device, int code);

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
