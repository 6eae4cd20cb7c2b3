#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "runtime/sync_queue.hpp"

namespace helvanta {
namespace {

TEST(SyncQueue, RunsRequestsOnTheOwnerThreadAndWaitsForThem) {
  SyncQueue queue;
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    queue.Synchronize([&] { ranOn = std::this_thread::get_id(); });
    returned = true;
    queue.Wake();
  });
  queue.ServeUntil([&] { return returned.load(); });
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(SyncQueue, RethrowsTheRequestsExceptionInTheCaller) {
  SyncQueue queue;
  std::atomic<bool> caught{false};
  std::thread worker([&] {
    try {
      queue.Synchronize([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& e) {
      caught = std::string(e.what()) == "boom";
    }
    queue.Wake();
  });
  std::atomic<bool> finished{false};
  std::thread watcher([&] {
    worker.join();
    finished = true;
    queue.Wake();
  });
  queue.ServeUntil([&] { return finished.load(); });
  watcher.join();
  EXPECT_TRUE(caught);
}

TEST(SyncQueue, RunsAtOnceOnTheOwnerThread) {
  SyncQueue queue;
  int runs = 0;
  queue.Synchronize([&] { ++runs; });
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(queue.RunPending(), 0);
}

}  // namespace
}  // namespace helvanta
