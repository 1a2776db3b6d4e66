#include <dlfcn.h>

#include "platform/core/external_libraries.h"

namespace kalvor {

namespace {
constexpr int kFlags = RTLD_NOW | RTLD_LOCAL;
}  // namespace

bool ExternalLibraries::IsPath(const std::string& library) {
  return library.find('/') != std::string::npos;
}

void* ExternalLibraries::OpenFile(const std::string& path) {
  return dlopen(path.c_str(), kFlags);
}

void* ExternalLibraries::OpenBySearch(const std::string& name) {
  return dlopen(name.c_str(), kFlags);
}

void* ExternalLibraries::Symbol(void* handle, const std::string& function) {
  return dlsym(handle, function.c_str());
}

void ExternalLibraries::Close(void* handle) {
  dlclose(handle);
}

}  // namespace kalvor
