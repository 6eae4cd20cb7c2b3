#include "serial/ecomport.hpp"

#include <array>
#include <string>

namespace helvanta {
namespace {

constexpr std::array<const char*, 23> kTexts = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

std::string Message(int number, int winCode, const std::string& device) {
  std::string text = ComErrorText(number);
  if (winCode != -1) text += " (" + ComErrorDetail(device, winCode) + ")";
  return text;
}

}  // namespace

const char* ComErrorText(int number) {
  if (number < 1 || number > static_cast<int>(kTexts.size())) return "";
  return kTexts[static_cast<std::size_t>(number - 1)];
}

EComPort::EComPort(int number, int winCode, const std::string& device)
    : std::runtime_error(Message(number, winCode, device)), number_(number), winCode_(winCode) {}

}  // namespace helvanta
