#include <windows.h>

#include "platform/core/external_libraries.h"
#include "platform/core/wide_text.h"

namespace kalvor {

bool ExternalLibraries::IsPath(const std::string& library) {
  return library.find_first_of("/\\:") != std::string::npos;
}

void* ExternalLibraries::OpenFile(const std::string& path) {
  // The libraries a library needs are looked for beside it first.
  return LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* ExternalLibraries::OpenBySearch(const std::string& name) {
  return LoadLibraryW(Widen(name).c_str());
}

void* ExternalLibraries::Symbol(void* handle, const std::string& function) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), function.c_str()));
}

void ExternalLibraries::Close(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace kalvor
