#pragma once

#include <string>

namespace helvanta::sim {

// The simulator's end of the serial line: the master of a new pseudo-terminal, or an
// existing serial device.
class SerialLine {
 public:
  // A new pseudo-terminal. A second descriptor of the slave stays open inside, so the
  // master keeps working (no EIO) while the program has the slave closed; the slave is
  // raw so that nothing is echoed back.
  static SerialLine OpenPseudoTerminal();
  // An existing device at 1200 bit/s 8E1, raw; throws std::system_error.
  static SerialLine OpenDevice(const std::string& path);

  SerialLine(SerialLine&& other) noexcept;
  SerialLine& operator=(SerialLine&&) = delete;
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;
  ~SerialLine();

  int Fd() const { return fd_; }
  // The device the program opens.
  const std::string& Path() const { return path_; }
  bool IsPseudoTerminal() const { return slaveFd_ >= 0; }
  // Waits, at most timeoutMs, until what was written has left: on a pseudo-terminal
  // until the program has read it (a hang-up discards unread input), on a device until
  // it is transmitted.
  void Drain(int timeoutMs);
  // Closes both descriptors; the program's side of a pseudo-terminal sees a hang-up.
  void Close();

 private:
  SerialLine() = default;

  int fd_ = -1;
  int slaveFd_ = -1;
  std::string path_;
};

}  // namespace helvanta::sim
