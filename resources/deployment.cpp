#include "resources/deployment.h"

#include "platform/platform_services.h"
#include "resources/embedded_blocks.h"

namespace kalvor {

std::string Deployment::LibraryFile() {
  return SharedLibraryFile("bass");
}

bool Deployment::DeployLibrary() {
  PlatformServices& platform = Platform();
  const std::string path = JoinTexts({platform.GetSpecialFolder(10), LibraryFile()});
  // A copy of the program that is already running has the old library mapped; rewriting that
  // file in place would crash it. The old file is unlinked first, so the running copy keeps its
  // own and this start writes a new one.
  platform.RemoveFile(path);
  return platform.WriteBytesToFile(path, {EmbeddedBlocks::Library()});
}

bool Deployment::WriteArchive(const std::string& appDataDir) {
  return Platform().WriteBytesToFile(JoinTexts({appDataDir, kArchiveFile}),
                                     {EmbeddedBlocks::Archive()});
}

std::int32_t Deployment::ExtractArchive(const std::string& appDataDir, std::string_view window,
                                        std::string_view archiveControl) {
  return Platform().ExtractArchive(window, archiveControl, JoinTexts({appDataDir, kArchiveFile}),
                                   appDataDir);
}

}  // namespace kalvor
