#include "resources/deployment.h"

#include "app/platform_services.h"
#include "resources/embedded_blocks.h"

namespace kalvor {

bool Deployment::DeployLibrary() {
  PlatformServices& platform = Platform();
  return platform.WriteBytesToFile(JoinTexts({platform.GetSpecialFolder(10), kLibraryFile}),
                                   {EmbeddedBlocks::Library()});
}

bool Deployment::WriteArchive(const std::string& appDataDir) {
  return Platform().WriteBytesToFile(JoinTexts({appDataDir, kArchiveFile}),
                                     {EmbeddedBlocks::Archive()});
}

std::int32_t Deployment::ExtractArchive(const std::string& appDataDir) {
  return Platform().ExtractArchive("MainWindow", "ZIP压缩1", JoinTexts({appDataDir, kArchiveFile}),
                                   appDataDir);
}

}  // namespace kalvor
