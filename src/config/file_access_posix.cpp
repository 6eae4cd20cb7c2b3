#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "config/file_access.hpp"
#include "runtime/file_descriptor_posix.hpp"

namespace helvanta {

namespace {

// A symbolic link is followed, so that the link stays and its target gets the content.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::atomic<unsigned> gTempCounter{0};

}  // namespace

FileBytes ReadFileBytes(const std::string& path) {
  FileBytes result;
  // Non-blocking so that a named pipe in place of the file cannot stall the open.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) {
    result.status = (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::kMissing : FileReadStatus::kFailed;
    return result;
  }
  result.status = FileReadStatus::kFailed;
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return result;
  if (static_cast<unsigned long long>(st.st_size) > kMaxConfigFileSize) {
    result.status = FileReadStatus::kTooLarge;
    return result;
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return result;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
    if (bytes.size() > kMaxConfigFileSize) {
      result.status = FileReadStatus::kTooLarge;
      return result;
    }
  }
  result.status = FileReadStatus::kOk;
  result.bytes = std::move(bytes);
  return result;
}

bool RegularFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderWritable(const std::string& path) {
  struct stat st {};
  // access() also says no for a read-only file system.
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveTarget(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (!S_ISREG(st.st_mode)) return false;
    // Root may write anywhere, so a file without any write bit counts as read-only too.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) return false;
  }

  std::string temp;
  int rawFd = -1;
  for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
    temp = target + "." + std::to_string(::getpid()) + "-" + std::to_string(gTempCounter++) + ".tmp";
    rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (rawFd < 0 && errno != EEXIST) return false;
  }
  if (rawFd < 0) return false;
  FileDescriptor fd(rawFd);

  std::size_t count = 0;
  const bool written = (!exists || ::fchmod(fd.Get(), st.st_mode & 07777) == 0) && WriteAll(fd.Get(), bytes, count) &&
                       ::fsync(fd.Get()) == 0;
  if (!fd.Close() || !written || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace helvanta
