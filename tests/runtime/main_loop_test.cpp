#include <gtest/gtest.h>

#include <thread>

#include "runtime/main_loop.hpp"

namespace helvanta {
namespace {

TEST(MainLoop, QuitFromAnotherThreadEndsRunWithItsCode) {
  SyncQueue queue;
  MainLoop loop(queue);
  std::thread stopper([&] { loop.Quit(7); });
  EXPECT_EQ(loop.Run(), 7);
  stopper.join();
}

}  // namespace
}  // namespace helvanta
