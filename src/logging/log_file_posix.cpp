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

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_CLOEXEC;
constexpr mode_t kFileMode = 0644;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  std::string content;
  if (S_ISREG(info.st_mode)) content.reserve(static_cast<std::size_t>(info.st_size));
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
  // Creating exclusively tells reliably whether this call made the file, and with it
  // whether the header belongs in front of the record.
  bool created = true;
  int fd = ::open(path.c_str(), kAppendFlags | O_CREAT | O_EXCL, kFileMode);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = ::open(path.c_str(), kAppendFlags);
  }
  FileDescriptor file(fd);
  if (file.get() < 0) return false;

  struct stat before {};
  if (::fstat(file.get(), &before) != 0) return false;

  std::string_view text = record;
  std::string whole;
  if (created && !header.empty()) {
    whole.reserve(header.size() + record.size());
    whole.append(header);
    whole.append(record);
    text = whole;
  }

  if (!WriteAll(file.get(), text)) {
    // Never leave half a line behind: the next record would be glued to it. A new
    // file goes again, or the next record would find it and write no header.
    const bool undone = created ? ::unlink(path.c_str()) == 0 : ::ftruncate(file.get(), before.st_size) == 0;
    static_cast<void>(undone);  // the record failed either way; the caller reports it
    return false;
  }
  if (!file.Close()) {
    if (created) ::unlink(path.c_str());
    return false;
  }
  return true;
}

}  // namespace helvanta
