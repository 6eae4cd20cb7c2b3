#pragma once

#include <chrono>
#include <functional>

namespace helvanta::testing {

// Runs the main thread's hand-over queue until done() or the time is up; sleeps in
// poll() on the queue's descriptor meanwhile. Returns done().
bool ServeMainQueue(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000));

// Serves the queue for the whole period, e.g. to show that nothing arrives.
void ServeMainQueueFor(std::chrono::milliseconds period);

// True when a hand-over request waits in the main queue (its descriptor is readable).
bool DeliveryQueued(std::chrono::milliseconds limit);

}  // namespace helvanta::testing
