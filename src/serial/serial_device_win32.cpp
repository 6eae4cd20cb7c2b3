#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "serial/modem_lines_win32.hpp"
#include "serial/serial_device.hpp"

namespace helvanta {
namespace {

static_assert(NoModemLines(ERROR_INVALID_PARAMETER) && NoModemLines(ERROR_NOT_SUPPORTED));

HANDLE HandleOf(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle.Value()); }

std::wstring Wide(const std::string& utf8) {
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  if (size > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// COM1 to COM9 would open without it, COM10 and up only through the device namespace.
std::wstring DevicePath(const std::string& port) {
  const std::wstring wide = Wide(port);
  return wide.rfind(L"\\\\", 0) == 0 ? wide : L"\\\\.\\" + wide;
}

int LastError() { return static_cast<int>(::GetLastError()); }

// One overlapped transfer, waited for to its end: the driver ends it as the port's
// timeouts say, so that waiting here is what a blocking call would do.
int Transfer(HANDLE handle, bool write, char* bytes, int count, int& done) {
  done = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return LastError();
  const DWORD size = static_cast<DWORD>(count);
  const BOOL started = write ? ::WriteFile(handle, bytes, size, nullptr, &overlapped)
                             : ::ReadFile(handle, bytes, size, nullptr, &overlapped);
  int error = 0;
  if (!started && ::GetLastError() != ERROR_IO_PENDING) error = LastError();
  DWORD transferred = 0;
  if (error == 0 && !::GetOverlappedResult(handle, &overlapped, &transferred, TRUE)) error = LastError();
  ::CloseHandle(overlapped.hEvent);
  done = static_cast<int>(transferred);
  // Time up is the end of the transfer, not a failure: what came in time is the result.
  // Windows reports it as success, wine as a timeout error.
  return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? 0 : error;
}

// The bytes the driver holds. The same call hands out and clears the line error flags,
// so ClearErrors reports the errors since the last count asked for, not since its own
// last call.
int WaitingCount(HANDLE handle, int& count) {
  count = 0;
  COMSTAT status{};
  DWORD errors = 0;
  if (!::ClearCommError(handle, &errors, &status)) return LastError();
  count = static_cast<int>(status.cbInQue);
  return 0;
}

// Takes what waits, up to capacity, without waiting for more. Reads that return at once
// by their timeouts would do it alone on Windows, but wine waits in them for a first
// byte; reading no more than the driver holds ends at once under any timeouts.
int TakeWaiting(HANDLE handle, char* buffer, int capacity, int& read) {
  read = 0;
  int waiting = 0;
  if (const int error = WaitingCount(handle, waiting); error != 0) return error;
  if (waiting == 0) return 0;
  return Transfer(handle, false, buffer, std::min(waiting, capacity), read);
}

COMMTIMEOUTS ToWin32(const CommTimeouts& t) {
  return COMMTIMEOUTS{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                      t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
}

// Interval "infinite" with no total time: hand over what is waiting, even nothing.
bool ReadsAtOnce(const CommTimeouts& t) {
  return t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
}

}  // namespace

SerialDevice::~SerialDevice() { Close(); }

int SerialDevice::Open(const std::string& path) {
  Close();
  // No sharing: a second opener, this program or another, is refused with access denied.
  const HANDLE handle = ::CreateFileW(DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  handle_ = NativeHandle(reinterpret_cast<std::intptr_t>(handle));
  const CommTimeouts defaults = timeouts_;
  if (const int error = SetTimeouts(defaults); error != 0) {
    Close();
    return error;
  }
  TComErrors ignored;
  ClearErrors(true, ignored);  // start from a clean error state
  return 0;
}

void SerialDevice::Close() {
  if (handle_.IsValid()) {
    // Bytes of this session that nobody read must not reach the next one; the output
    // is left to drain.
    ::PurgeComm(HandleOf(handle_), PURGE_RXCLEAR);
    ::CloseHandle(HandleOf(handle_));
  }
  handle_ = {};
  inputThreshold_ = 1;
}

int SerialDevice::SetState(const Dcb& dcb) {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  DCB state{};
  state.DCBlength = sizeof state;
  if (!::GetCommState(HandleOf(handle_), &state)) return LastError();
  state.BaudRate = dcb.BaudRate;
  state.fBinary = dcb.fBinary;
  state.fParity = dcb.fParity;
  state.fOutxCtsFlow = dcb.fOutxCtsFlow;
  state.fOutxDsrFlow = dcb.fOutxDsrFlow;
  state.fDtrControl = dcb.fDtrControl;
  state.fDsrSensitivity = dcb.fDsrSensitivity;
  state.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
  state.fOutX = dcb.fOutX;
  state.fInX = dcb.fInX;
  state.fErrorChar = dcb.fErrorChar;
  state.fNull = dcb.fNull;
  state.fRtsControl = dcb.fRtsControl;
  state.fAbortOnError = dcb.fAbortOnError;
  state.XonLim = dcb.XonLim;
  state.XoffLim = dcb.XoffLim;
  state.ByteSize = dcb.ByteSize;
  state.Parity = dcb.Parity;
  state.StopBits = dcb.StopBits;
  state.XonChar = dcb.XonChar;
  state.XoffChar = dcb.XoffChar;
  state.ErrorChar = dcb.ErrorChar;
  state.EofChar = dcb.EofChar;
  state.EvtChar = dcb.EvtChar;
  if (::SetCommState(HandleOf(handle_), &state)) return 0;
  const DWORD error = ::GetLastError();
  // A port without parity (wine's mapping of a pseudo-terminal) refuses the line
  // control and so the whole record; all but parity and byte size then still applies.
  DCB applied{};
  applied.DCBlength = sizeof applied;
  if (error != ERROR_INVALID_PARAMETER || !::GetCommState(HandleOf(handle_), &applied)) return static_cast<int>(error);
  state.fParity = applied.fParity;
  state.Parity = applied.Parity;
  state.ByteSize = applied.ByteSize;
  return ::SetCommState(HandleOf(handle_), &state) ? 0 : static_cast<int>(error);
}

int SerialDevice::SetInputThreshold(int count) {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  // The driver reports every byte that comes; the count only matters to a wait that
  // the driver cannot be told of.
  inputThreshold_ = std::clamp(count, 1, 255);
  return 0;
}

int SerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  COMMTIMEOUTS driver = ToWin32(timeouts);
  if (!::SetCommTimeouts(HandleOf(handle_), &driver)) return LastError();
  timeouts_ = timeouts;
  return 0;
}

int SerialDevice::SetupBuffers(int inputSize, int outputSize) {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  return ::SetupComm(HandleOf(handle_), static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize)) ? 0
                                                                                                       : LastError();
}

int SerialDevice::Write(const char* bytes, int count, int& written) {
  written = 0;
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  return Transfer(HandleOf(handle_), true, const_cast<char*>(bytes), count, written);
}

int SerialDevice::Read(char* buffer, int count, int& read) {
  read = 0;
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  if (ReadsAtOnce(timeouts_)) return TakeWaiting(HandleOf(handle_), buffer, count, read);
  return Transfer(HandleOf(handle_), false, buffer, count, read);
}

int SerialDevice::ReadWaiting(char* buffer, int capacity, int& read) {
  read = 0;
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  return TakeWaiting(HandleOf(handle_), buffer, capacity, read);
}

int SerialDevice::InputCount(int& count) const {
  count = 0;
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  return WaitingCount(HandleOf(handle_), count);
}

int SerialDevice::ModemStatus(TComSignals& signals) const {
  signals = {};
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  DWORD lines = 0;
  if (!::GetCommModemStatus(HandleOf(handle_), &lines)) {
    const DWORD error = ::GetLastError();
    return NoModemLines(error) ? 0 : static_cast<int>(error);  // no modem lines: all off
  }
  if ((lines & MS_CTS_ON) != 0) signals.Include(TComSignal::csCTS);
  if ((lines & MS_DSR_ON) != 0) signals.Include(TComSignal::csDSR);
  if ((lines & MS_RING_ON) != 0) signals.Include(TComSignal::csRing);
  if ((lines & MS_RLSD_ON) != 0) signals.Include(TComSignal::csRLSD);
  return 0;
}

int SerialDevice::ClearErrors(bool reportParity, TComErrors& errors) {
  errors = {};
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  DWORD flags = 0;
  if (!::ClearCommError(HandleOf(handle_), &flags, nullptr)) return LastError();
  if ((flags & CE_FRAME) != 0) errors.Include(TComError::ceFrame);
  if ((flags & CE_RXPARITY) != 0 && reportParity) errors.Include(TComError::ceRxParity);
  if ((flags & CE_OVERRUN) != 0) errors.Include(TComError::ceOverrun);
  if ((flags & CE_BREAK) != 0) errors.Include(TComError::ceBreak);
  if ((flags & CE_RXOVER) != 0) errors.Include(TComError::ceRxOver);
  if ((flags & CE_TXFULL) != 0) errors.Include(TComError::ceTxFull);
  return 0;
}

int SerialDevice::AbortPending() const {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  // Every transfer is waited for by the call that started it, so this normally finds
  // nothing of this thread's to cancel.
  if (::CancelIo(HandleOf(handle_))) return 0;
  const DWORD error = ::GetLastError();
  return error == ERROR_NOT_FOUND ? 0 : static_cast<int>(error);
}

int SerialDevice::Purge() const {
  if (!handle_.IsValid()) return ERROR_INVALID_HANDLE;
  return ::PurgeComm(HandleOf(handle_), PURGE_RXCLEAR | PURGE_TXCLEAR) ? 0 : LastError();
}

}  // namespace helvanta
