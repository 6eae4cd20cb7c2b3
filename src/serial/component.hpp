#pragma once

#include <vector>

namespace helvanta {

enum class TOperation { opInsert, opRemove };

// The little of a component base that the serial classes need: loading and designing
// states, and free notification so that linked components hear when one goes away.
class TComponent {
 public:
  TComponent() = default;
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Asks that `other` hears Notification(this, opRemove) when this component is destroyed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  bool Loading() const { return loading_; }
  bool Designing() const { return designing_; }
  // Loading ends with Loaded().
  void BeginLoading() { loading_ = true; }
  void SetDesigning(bool designing) { designing_ = designing; }
  virtual void Loaded() { loading_ = false; }

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Tells every subscriber that this component goes away. Destructors of derived classes
  // call it while their own state is still whole; it runs only once.
  void NotifyRemoval();

 private:
  void Forget(TComponent* other);

  std::vector<TComponent*> subscribers_;
  bool loading_ = false;
  bool designing_ = false;
  bool removalNotified_ = false;
};

}  // namespace helvanta
