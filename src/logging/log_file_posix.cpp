#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "logging/log_file.hpp"

namespace helvanta {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Writes all of text; `written` tells how much went out before a failure.
bool WriteAll(int fd, std::string_view text, std::size_t& written) {
  written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_CLOEXEC;
constexpr mode_t kFileMode = 0644;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  // A folder opens but fails to read (EISDIR), so no separate check is needed.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  std::string content;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

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
  if (file.get() < 0) return false;

  std::string_view text = record;
  std::string whole;
  if (created && !header.empty()) {
    whole.reserve(header.size() + record.size());
    whole.append(header);
    whole.append(record);
    text = whole;
  }

  std::size_t written = 0;
  if (!WriteAll(file.get(), text, written)) {
    // Never leave half a line behind: the next record would be glued to it. A new
    // file goes again, or the next record would find it and write no header.
    if (created) {
      ::unlink(path.c_str());
    } else if (written > 0) {
      struct stat now {};
      if (::fstat(file.get(), &now) == 0) {
        // The record failed either way; the caller reports it.
        static_cast<void>(::ftruncate(file.get(), now.st_size - static_cast<off_t>(written)));
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
