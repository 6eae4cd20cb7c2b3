#pragma once

#include <cstdint>
#include <memory>

namespace helvanta {

// What the MQTT connection thread may do with the library's socket after a wait.
struct MqttSocketReady {
  bool failed = false;    // the wait itself failed: nothing is known about the socket
  bool readable = false;  // data, the broker's close or an error: the library reads
  bool writable = false;
};

// The MQTT connection thread's sleep: until the library's socket is ready, another thread
// wakes it, or the time is up. The platform's part of the client.
class TMqttSocketWait {
 public:
  // Throws EMqttSetup when the system gives no way to be woken.
  TMqttSocketWait();
  ~TMqttSocketWait();
  TMqttSocketWait(const TMqttSocketWait&) = delete;
  TMqttSocketWait& operator=(const TMqttSocketWait&) = delete;

  // Readies the calling thread for writing to sockets the broker may have closed.
  static void PrepareThread();
  // Ends the current or the next wait; any thread may call it.
  void Wake() const;
  // Waits up to timeoutMs for the wake, for data on the socket (none when negative), and
  // for room to write when wantWrite.
  MqttSocketReady Wait(int socket, bool wantWrite, std::int64_t timeoutMs);
  // Waits up to timeoutMs for room to write; false when the time ran out or the wait failed.
  static bool WaitWritable(int socket, std::int64_t timeoutMs);

 private:
  struct Events;
  std::unique_ptr<Events> events_;
};

}  // namespace helvanta
