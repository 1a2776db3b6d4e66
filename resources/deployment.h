// Puts the two embedded blocks on disk on every start: our audio library where the library search
// finds it, and the sound archive, written to <AppDataDir>1.zip and unpacked into AppDataDir.
// Nothing is compared with what is on disk first and no failure is reported: a sound whose file
// is missing reports itself when it is played.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvor {

class Deployment {
 public:
  // Our audio library's file name on this system (libbass.so, bass.dll).
  static std::string LibraryFile();
  static constexpr const char* kArchiveFile = "1.zip";

  // Before any window exists: the library into the per-user library folder.
  static bool DeployLibrary();
  // Inside the main window's creation: the archive file, then its contents, unpacked by the
  // archive control named (whose progress events the window receives).
  static bool WriteArchive(const std::string& appDataDir);
  static std::int32_t ExtractArchive(const std::string& appDataDir, std::string_view window,
                                     std::string_view archiveControl);
};

}  // namespace kalvor
