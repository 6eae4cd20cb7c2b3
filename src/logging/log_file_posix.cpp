#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "logging/log_file.hpp"
#include "runtime/file_descriptor_posix.hpp"

namespace helvanta {

namespace {

constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_CLOEXEC;
constexpr mode_t kFileMode = 0644;

}  // namespace

bool AppendToDailyFile(const std::string& path, std::string_view header, std::string_view record) {
  // Most records go to a file that exists; creating exclusively when it does not tells
  // reliably whether this call made the file, and with it whether the header belongs
  // in front of the record.
  bool created = false;
  int fd = ::open(path.c_str(), kAppendFlags);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), kAppendFlags | O_CREAT | O_EXCL, kFileMode);
    if (fd >= 0) {
      created = true;
    } else if (errno == EEXIST) {
      fd = ::open(path.c_str(), kAppendFlags);  // another writer made it meanwhile
    }
  }
  FileDescriptor file(fd);
  if (file.Get() < 0) return false;

  std::string_view text = record;
  std::string whole;
  if (created && !header.empty()) {
    whole.reserve(header.size() + record.size());
    whole.append(header);
    whole.append(record);
    text = whole;
  }

  std::size_t written = 0;
  if (!WriteAll(file.Get(), text, written)) {
    // Never leave half a line behind: the next record would be glued to it. A new
    // file goes again, or the next record would find it and write no header.
    if (created) {
      ::unlink(path.c_str());
    } else if (written > 0) {
      struct stat now {};
      if (::fstat(file.Get(), &now) == 0) {
        // The record failed either way; the caller reports it, whether the cut works or not.
        [[maybe_unused]] const int cut = ::ftruncate(file.Get(), now.st_size - static_cast<off_t>(written));
      }
    }
    return false;
  }
  if (!file.Close()) {
    if (created) ::unlink(path.c_str());
    return false;
  }
  return true;
}

}  // namespace helvanta
