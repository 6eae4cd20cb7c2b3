#include "sim/link_guard_posix.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace helvanta::sim {

namespace {

std::string ReadLink(const std::string& path) {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
  return n < 0 ? std::string() : std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

LinkGuard::LinkGuard(const std::string& linkPath, const std::string& target) : linkPath_(linkPath), target_(target) {
  struct stat st {};
  if (lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      throw std::system_error(EEXIST, std::generic_category(), linkPath + " exists and is not a symbolic link");
    }
    if (unlink(linkPath.c_str()) != 0) {
      throw std::system_error(errno, std::generic_category(), "cannot replace " + linkPath);
    }
  }
  if (symlink(target.c_str(), linkPath.c_str()) != 0) {
    throw std::system_error(errno, std::generic_category(), "cannot make the link " + linkPath);
  }
}

LinkGuard::~LinkGuard() {
  // Leave a link that someone else has put there in the meantime.
  if (ReadLink(linkPath_) == target_) unlink(linkPath_.c_str());
}

}  // namespace helvanta::sim
