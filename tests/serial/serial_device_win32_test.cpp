#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "serial/ecomport.hpp"
#include "serial/modem_lines_win32.hpp"
#include "serial/serial_device.hpp"

namespace helvanta {
namespace {

// The system's text for a code as FormatMessage gives it, without the closing CR LF.
std::string SystemText(DWORD code) {
  wchar_t text[512];
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  512, nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
  utf8.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(),
                                                             static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
}

TEST(SerialDeviceWin32, AnAbsentPortFailsWithTheSystemsTextAndItsCode) {
  SerialDevice device;
  const int error = device.Open("COM250");
  ASSERT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(device.IsOpen());
  const std::string system = SystemText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(system.empty());
  EXPECT_EQ(EComPort(kCeOpen, error, "COM250").what(),
            "Unable to open com port (COM250: " + system + " (win error code: 2))");
}

TEST(SerialDeviceWin32, APortHeldByAnotherProgramSaysSo) {
  EXPECT_EQ(ComErrorDetail("COM3", ERROR_ACCESS_DENIED), "COM3: in use by another program (win error code: 5)");
}

TEST(SerialDeviceWin32, CallsOnAClosedDeviceFailWithInvalidHandle) {
  SerialDevice device;
  char byte = 0;
  int count = -1;
  TComSignals signals;
  TComErrors errors;
  EXPECT_EQ(device.SetState(Dcb{}), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.SetInputThreshold(4), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.SetTimeouts(CommTimeouts{}), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.SetupBuffers(4096, 2048), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.Write(&byte, 1, count), ERROR_INVALID_HANDLE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(device.Read(&byte, 1, count), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.ReadWaiting(&byte, 1, count), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.InputCount(count), ERROR_INVALID_HANDLE);
  // Not taken for a port without modem lines.
  EXPECT_EQ(device.ModemStatus(signals), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.ClearErrors(true, errors), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.AbortPending(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(device.Purge(), ERROR_INVALID_HANDLE);
}

TEST(SerialDeviceWin32, OnlyInvalidParameterAndNotSupportedMeanNoModemLines) {
  EXPECT_TRUE(NoModemLines(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(NoModemLines(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(NoModemLines(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(NoModemLines(ERROR_INVALID_FUNCTION));
  EXPECT_FALSE(NoModemLines(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace helvanta
