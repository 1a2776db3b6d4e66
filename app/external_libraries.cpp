#include "app/external_libraries.h"

#include <dlfcn.h>
#include <unistd.h>

#include "app/special_folders.h"

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
  std::string id;
  id.reserve(library.size() + function.size() + 1);
  id.append(library).push_back('\0');
  id.append(function);

  std::lock_guard lock(mutex_);
  if (const auto it = functions_.find(id); it != functions_.end()) return it->second;
  if (library.empty() || function.empty()) return nullptr;

  auto lib = libraries_.find(library);
  if (lib == libraries_.end()) {
    const std::string name(library);
    void* handle = Load(name);
    if (handle == nullptr) return nullptr;
    lib = libraries_.emplace(name, handle).first;
  }
  const std::string symbol(function);
  void* address = dlsym(lib->second, symbol.c_str());
  if (address == nullptr) return nullptr;
  functions_.emplace(std::move(id), address);
  return address;
}

void ExternalLibraries::ReleaseAll() {
  std::lock_guard lock(mutex_);
  functions_.clear();
  for (const auto& [name, handle] : libraries_) dlclose(handle);
  libraries_.clear();
}

}  // namespace kalvor
