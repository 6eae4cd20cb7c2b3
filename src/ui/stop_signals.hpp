#pragma once

#include <functional>
#include <memory>

namespace helvanta {

// While it lives, SIGTERM and SIGINT (Ctrl-C) call onStop on the main thread, from Qt's
// loop; the signal handler itself only writes to a descriptor. Needs the application
// object; one at a time.
class TWindowStopSignals {
 public:
  explicit TWindowStopSignals(std::function<void()> onStop);
  ~TWindowStopSignals();
  TWindowStopSignals(const TWindowStopSignals&) = delete;
  TWindowStopSignals& operator=(const TWindowStopSignals&) = delete;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace helvanta
