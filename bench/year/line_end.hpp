#pragma once

#include <memory>
#include <string>

namespace helvanta::year {

// The inverter's end of the serial line: a pseudo-terminal whose slave the service
// opens. Hanging up closes it for good, as a cable pulled out; the line that comes back
// is a new pseudo-terminal with a device of its own.
class TLineEnd {
 public:
  TLineEnd();
  ~TLineEnd();
  TLineEnd(const TLineEnd&) = delete;
  TLineEnd& operator=(const TLineEnd&) = delete;

  // A fresh pseudo-terminal (throws std::system_error).
  void Connect();
  // Closes the line; the service's side sees a hang-up.
  void HangUp();
  bool Connected() const;
  // The device the service opens; empty while hung up.
  std::string DevicePath() const;
  // What the service has written since the last call, without waiting.
  std::string TakeWritten();

 private:
  struct Line;
  std::unique_ptr<Line> line_;
};

}  // namespace helvanta::year
