// External functions bound by library file name and function name on first use. The loading
// itself is the system's (external_libraries_posix.cpp: dlopen; external_libraries_win32.cpp:
// LoadLibraryExW).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace kalvor {

class ExternalLibraries {
 public:
  ExternalLibraries() = default;
  ExternalLibraries(const ExternalLibraries&) = delete;
  ExternalLibraries& operator=(const ExternalLibraries&) = delete;
  ~ExternalLibraries() { ReleaseAll(); }

  // The function's address, loading the library on first use; nullptr when the library cannot be
  // loaded or lacks the function. A library name that is a path (holding "/", or on Windows
  // also "\" or ":") is loaded as given; a plain name is looked for in the program's own folder,
  // then in the per-user library folder, then through the system's library search.
  void* Bind(std::string_view library, std::string_view function);
  // Unloads every library and forgets every binding.
  void ReleaseAll();

 private:
  void* Load(const std::string& library);
  // The system's part, one implementation per system.
  static bool IsPath(const std::string& library);
  static void* OpenFile(const std::string& path);      // a library file by its path
  static void* OpenBySearch(const std::string& name);  // through the system's library search
  static void* Symbol(void* handle, const std::string& function);
  static void Close(void* handle);

  struct Library {
    void* handle = nullptr;
    std::map<std::string, void*, std::less<>> functions;  // name -> address
  };

  std::mutex mutex_;
  std::map<std::string, Library, std::less<>> libraries_;  // by the name it was asked for
};

}  // namespace kalvor
