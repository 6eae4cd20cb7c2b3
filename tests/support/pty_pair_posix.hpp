#pragma once

#include <chrono>
#include <string>

namespace helvanta::testing {

// A pseudo-terminal pair: the port under test opens the slave by its path, the test
// plays the far end of the line on the master.
class PtyPair {
 public:
  // Throws std::runtime_error when the system gives no pseudo-terminal.
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // False once the master is closed or released.
  bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // The master for a reader of its own, which closes it; this pair no longer has one.
  int ReleaseMaster();

  // The far end goes away, as when the other side of a line hangs up.
  void CloseMaster();

  // Fails the test when the master does not take all the bytes.
  void Send(const std::string& bytes) const;
  // Reads what the port sent until `count` bytes came or the time is up; never more.
  std::string Receive(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const;
  // Everything the port has sent so far, without waiting.
  std::string Drain() const;

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace helvanta::testing
