#include <dlfcn.h>

#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

std::string Reason() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown reason";
}

}  // namespace

SharedLibrary::SharedLibrary(const std::string& name)
    : name_(name), handle_(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) throw ESharedLibrary("cannot load " + name + ": " + Reason());
}

void* SharedLibrary::Address(const char* symbol) const {
  dlerror();
  void* address = dlsym(handle_, symbol);
  if (address == nullptr) throw ESharedLibrary(name_ + " lacks " + symbol + ": " + Reason());
  return address;
}

}  // namespace helvanta
