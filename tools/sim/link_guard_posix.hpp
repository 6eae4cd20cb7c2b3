#pragma once

#include <string>

namespace helvanta::sim {

// A symbolic link to the device for as long as the simulator runs.
class LinkGuard {
 public:
  // Creates the link, replacing an old symbolic link there; throws std::system_error
  // when the place holds anything else or the link cannot be made.
  LinkGuard(const std::string& linkPath, const std::string& target);
  ~LinkGuard();
  LinkGuard(const LinkGuard&) = delete;
  LinkGuard& operator=(const LinkGuard&) = delete;

 private:
  std::string linkPath_;
  std::string target_;
};

}  // namespace helvanta::sim
