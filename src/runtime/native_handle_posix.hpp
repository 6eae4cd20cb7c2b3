#pragma once

#include "runtime/native_handle.hpp"

namespace helvanta {

// A handle here is a file descriptor; a failed open(), eventfd() or the like gives -1,
// which is no handle.
inline NativeHandle HandleOfFd(int fd) { return NativeHandle(fd < 0 ? -1 : fd); }
inline int FdOf(NativeHandle handle) { return static_cast<int>(handle.Value()); }

}  // namespace helvanta
