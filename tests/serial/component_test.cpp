#include <gtest/gtest.h>

#include "serial/component.hpp"

namespace helvanta {
namespace {

class Watcher : public TComponent {
 public:
  TComponent* removed = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove) removed = component;
  }
};

TEST(TComponent, SubscribersHearOfRemovalOnceAndEitherSideMayGoFirst) {
  Watcher watcher;
  {
    TComponent gone;
    gone.FreeNotification(&watcher);
    gone.FreeNotification(&watcher);
  }
  EXPECT_NE(watcher.removed, nullptr);

  auto* early = new Watcher;
  TComponent stays;
  stays.FreeNotification(early);
  delete early;  // must not leave a dangling subscriber behind in `stays`
  SUCCEED();
}

}  // namespace
}  // namespace helvanta
