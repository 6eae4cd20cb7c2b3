#include "serial/component.hpp"

#include <algorithm>

namespace helvanta {

TComponent::~TComponent() { NotifyRemoval(); }

void TComponent::FreeNotification(TComponent* other) {
  if (other == nullptr || other == this) return;
  if (std::find(subscribers_.begin(), subscribers_.end(), other) == subscribers_.end()) {
    subscribers_.push_back(other);
    other->FreeNotification(this);  // both directions, so either side can go first
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  Forget(other);
  if (other != nullptr) other->Forget(this);
}

void TComponent::Forget(TComponent* other) {
  subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), other), subscribers_.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::NotifyRemoval() {
  if (removalNotified_) return;
  removalNotified_ = true;
  const auto subscribers = subscribers_;
  subscribers_.clear();
  for (TComponent* other : subscribers) {
    other->Forget(this);
    other->Notification(this, TOperation::opRemove);
  }
}

}  // namespace helvanta
