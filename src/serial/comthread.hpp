#pragma once

#include <atomic>
#include <thread>

#include "runtime/native_handle.hpp"
#include "serial/com_types.hpp"

namespace helvanta {

class TCustomComPort;

// The event thread of an open port: it sleeps until the device has news or it is told
// to stop, and hands each set of line events to the port (on the main thread under
// smThreadSync, waiting until it has been dealt with). It never closes the port.
class TComThread {
 public:
  // Starts the thread for an open port; the port's device and settings must be in place.
  explicit TComThread(TCustomComPort* port);
  // Stops the thread and waits for its end; on the main thread it keeps running the
  // deliveries queued meanwhile.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  void Stop();
  TComEvents Events() const { return TComEvents::FromBits(lastEvents_.load()); }

 private:
  void Execute();
  void Loop();
  void DispatchComMsg();
  int WaitingBytes() const;

  TCustomComPort* port_;
  NativeHandle deviceHandle_;
  NativeHandle stopHandle_;
  TComEvents mask_;
  TSyncMethod syncMethod_;
  TThreadPriority priority_;
  std::atomic<std::uint32_t> lastEvents_{0};
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace helvanta
