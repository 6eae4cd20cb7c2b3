#include <gtest/gtest.h>

#include "serial/component.hpp"

namespace helvanta {
namespace {

class Watcher : public TComponent {
 public:
  const TComponent* removed = nullptr;
  int removals = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation != TOperation::opRemove) return;
    removed = component;
    ++removals;
  }
};

TEST(TComponent, SubscribersHearOfRemovalOnceAndEitherSideMayGoFirst) {
  Watcher watcher;
  const TComponent* goneAt = nullptr;
  {
    TComponent gone;
    goneAt = &gone;
    gone.FreeNotification(&watcher);
    gone.FreeNotification(&watcher);
  }
  EXPECT_EQ(watcher.removals, 1);
  EXPECT_EQ(watcher.removed, goneAt);

  // The subscription goes both ways: the side that stays hears of the early one going,
  // and so drops it rather than keeping a dangling subscriber.
  Watcher stays;
  auto* early = new Watcher;
  const TComponent* earlyAt = early;
  stays.FreeNotification(early);
  delete early;
  EXPECT_EQ(stays.removals, 1);
  EXPECT_EQ(stays.removed, earlyAt);
}

}  // namespace
}  // namespace helvanta
