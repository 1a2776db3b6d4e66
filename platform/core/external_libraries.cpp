#include "platform/core/external_libraries.h"

#include <dlfcn.h>
#include <unistd.h>

#include "platform/core/special_folders.h"

namespace kalvor {

void* ExternalLibraries::Load(const std::string& library) {
  constexpr int kFlags = RTLD_NOW | RTLD_LOCAL;
  if (library.find('/') != std::string::npos) return dlopen(library.c_str(), kFlags);
  for (const std::string& folder : {SpecialFolders::ProgramFolder(), SpecialFolders::Get(10)}) {
    if (folder.empty()) continue;
    const std::string candidate = folder + library;
    if (access(candidate.c_str(), F_OK) != 0) continue;
    if (void* handle = dlopen(candidate.c_str(), kFlags)) return handle;
  }
  return dlopen(library.c_str(), kFlags);
}

void* ExternalLibraries::Bind(std::string_view library, std::string_view function) {
  // Called on every call of an external function: the look-up of a bound one allocates nothing.
  std::lock_guard lock(mutex_);
  auto lib = libraries_.find(library);
  if (lib != libraries_.end()) {
    if (const auto fn = lib->second.functions.find(function); fn != lib->second.functions.end()) {
      return fn->second;
    }
  }
  if (library.empty() || function.empty()) return nullptr;
  if (lib == libraries_.end()) {
    const std::string name(library);
    void* handle = Load(name);
    if (handle == nullptr) return nullptr;
    lib = libraries_.emplace(name, Library{handle, {}}).first;
  }
  const std::string symbol(function);
  void* address = dlsym(lib->second.handle, symbol.c_str());
  if (address == nullptr) return nullptr;
  lib->second.functions.emplace(symbol, address);
  return address;
}

void ExternalLibraries::ReleaseAll() {
  std::lock_guard lock(mutex_);
  for (const auto& [name, library] : libraries_) dlclose(library.handle);
  libraries_.clear();
}

}  // namespace kalvor
