#pragma once

#include <cstdint>
#include <string>

#include "runtime/native_handle.hpp"
#include "serial/com_types.hpp"
#include "serial/dcb.hpp"

namespace helvanta {

// The platform's serial device behind the port. Every call returns 0 or the platform's
// error code; the port turns codes into EComPort. Calls on a closed device fail with
// the code for an invalid handle.
class SerialDevice {
 public:
  SerialDevice() = default;
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Opens an existing device for exclusive reading and writing.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const { return handle_.IsValid(); }
  // The handle the event thread waits on; none while closed.
  NativeHandle Handle() const { return handle_; }

  int SetState(const Dcb& dcb);
  // Readiness for reading is reported only once count bytes wait (1 to 255). Reads are
  // unaffected: they take what waits, as the descriptor never blocks.
  int SetInputThreshold(int count);
  int SetTimeouts(const CommTimeouts& timeouts);
  int SetupBuffers(int inputSize, int outputSize);

  // Writes all bytes or as many as the write timeouts allow.
  int Write(const char* bytes, int count, int& written);
  // Reads up to count bytes under the read timeouts.
  int Read(char* buffer, int count, int& read);
  // Takes what waits, up to capacity, at once whatever the timeouts. Fewer bytes than
  // capacity means the driver holds no more: no count has to be asked for first.
  int ReadWaiting(char* buffer, int capacity, int& read);
  int InputCount(int& count) const;
  int ModemStatus(TComSignals& signals) const;
  // The line errors since the last call; parity errors only when reportParity.
  int ClearErrors(bool reportParity, TComErrors& errors);
  // Ends transfers under way; nothing is ever pending here beyond the call that started it.
  int AbortPending() const;
  // Drops what waits in the input and output buffers.
  int Purge() const;

 private:
  NativeHandle handle_;
  int inputThreshold_ = 1;
  // Until the port applies its own, reads return at once as under the port's defaults.
  CommTimeouts timeouts_{kMaxDword, 0, 0, 100, 1000};
  // Driver counters of line errors at the last ClearErrors, to report only new ones.
  std::uint32_t frameCount_ = 0;
  std::uint32_t parityCount_ = 0;
  std::uint32_t overrunCount_ = 0;
  std::uint32_t breakCount_ = 0;
  std::uint32_t bufferOverrunCount_ = 0;
};

}  // namespace helvanta
