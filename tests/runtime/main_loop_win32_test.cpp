#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "runtime/main_loop.hpp"

namespace helvanta {
namespace {

// A watched handle on Windows is a waitable object: an event is readable while it is set.
HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }
NativeHandle Native(HANDLE handle) { return NativeHandle(reinterpret_cast<std::intptr_t>(handle)); }

TEST(MainLoop, DeliversHandOversAndWatchedEvents) {
  SyncQueue queue;
  MainLoop loop(queue);
  HANDLE event = NewEvent();
  ASSERT_NE(event, nullptr);
  int readable = 0;
  loop.WatchHandle(Native(event), [&] {
    if (ResetEvent(event)) ++readable;
    loop.Quit();
  });
  std::atomic<bool> delivered{false};
  std::thread worker([&] {
    queue.Synchronize([&] { delivered = true; });
    ASSERT_TRUE(SetEvent(event));
  });
  loop.Run();
  worker.join();
  EXPECT_TRUE(delivered);
  EXPECT_EQ(readable, 1);
  CloseHandle(event);
}

TEST(MainLoop, WatchesANewHandleUnderTheValueOfAClosedOne) {
  SyncQueue queue;
  MainLoop loop(queue);
  HANDLE first = NewEvent();
  ASSERT_NE(first, nullptr);
  loop.WatchHandle(Native(first), [] {});
  CloseHandle(first);
  HANDLE second = NewEvent();
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second, first);  // the freed slot of the handle table is given again
  int readable = 0;
  loop.WatchHandle(Native(second), [&] {
    if (ResetEvent(second)) ++readable;
  });
  ASSERT_TRUE(SetEvent(second));
  loop.RunOnce(1000);
  EXPECT_EQ(readable, 1);
  CloseHandle(second);
  EXPECT_NO_THROW(loop.UnwatchHandle(Native(second)));  // closed before: nothing left to remove
}

}  // namespace
}  // namespace helvanta
