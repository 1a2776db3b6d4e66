#include "platform/core/external_libraries.h"

#include <filesystem>

#include "platform/core/special_folders.h"
#include "platform/core/utf8_path.h"

namespace kalvor {

void* ExternalLibraries::Load(const std::string& library) {
  if (IsPath(library)) return OpenFile(library);
  for (const std::string& folder : {SpecialFolders::ProgramFolder(), SpecialFolders::Get(10)}) {
    if (folder.empty()) continue;
    const std::string candidate = folder + library;
    std::error_code error;
    if (!std::filesystem::exists(PathFromUtf8(candidate), error)) continue;
    if (void* handle = OpenFile(candidate)) return handle;
  }
  return OpenBySearch(library);
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
  void* address = Symbol(lib->second.handle, symbol);
  if (address == nullptr) return nullptr;
  lib->second.functions.emplace(symbol, address);
  return address;
}

void ExternalLibraries::ReleaseAll() {
  std::lock_guard lock(mutex_);
  for (const auto& [name, library] : libraries_) Close(library.handle);
  libraries_.clear();
}

}  // namespace kalvor
