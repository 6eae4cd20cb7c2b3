#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "runtime/main_loop.hpp"
#include "runtime/native_handle_posix.hpp"

namespace helvanta {
namespace {

TEST(MainLoop, DeliversHandOversAndWatchedDescriptors) {
  SyncQueue queue;
  MainLoop loop(queue);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int readable = 0;
  loop.WatchHandle(HandleOfFd(fds[0]), [&] {
    char c;
    if (read(fds[0], &c, 1) == 1) ++readable;
    loop.Quit();
  });
  std::atomic<bool> delivered{false};
  std::thread worker([&] {
    queue.Synchronize([&] { delivered = true; });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
  });
  loop.Run();
  worker.join();
  EXPECT_TRUE(delivered);
  EXPECT_EQ(readable, 1);
  close(fds[0]);
  close(fds[1]);
}

TEST(MainLoop, WatchesANewFileUnderTheNumberOfAClosedOne) {
  SyncQueue queue;
  MainLoop loop(queue);
  int first[2];
  ASSERT_EQ(pipe(first), 0);
  loop.WatchHandle(HandleOfFd(first[0]), [] {});
  close(first[0]);
  close(first[1]);
  int second[2];
  ASSERT_EQ(pipe(second), 0);
  ASSERT_EQ(second[0], first[0]);  // the lowest free number is given again
  int readable = 0;
  loop.WatchHandle(HandleOfFd(second[0]), [&] {
    char c;
    if (read(second[0], &c, 1) == 1) ++readable;
  });
  ASSERT_EQ(write(second[1], "x", 1), 1);
  loop.RunOnce(1000);
  EXPECT_EQ(readable, 1);
  close(second[0]);
  close(second[1]);
  EXPECT_NO_THROW(loop.UnwatchHandle(HandleOfFd(second[0])));  // closed before: nothing left to remove
}

}  // namespace
}  // namespace helvanta
