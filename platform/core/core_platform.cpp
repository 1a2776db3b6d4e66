#include "platform/core/core_platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/external_libraries.h"
#include "platform/core/file_search.h"
#include "platform/core/ini_file.h"
#include "platform/core/special_folders.h"
#include "platform/core/zip_extractor.h"

namespace kalvor {
CorePlatform::CorePlatform()
    : externals_(std::make_unique<ExternalLibraries>()), search_(std::make_unique<FileSearch>()) {}

CorePlatform::~CorePlatform() = default;

std::string CorePlatform::GetSpecialFolder(std::int32_t code) {
  return SpecialFolders::Get(code);
}

bool CorePlatform::FileExists(std::string_view path) {
  return FileSearch::Exists(path);
}

std::string CorePlatform::FindFiles(std::string_view pattern) {
  if (!pattern.empty() && !search_->Start(pattern)) return {};
  return search_->Next();
}

std::string CorePlatform::ReadIniValue(std::string_view file, std::string_view section,
                                       std::string_view key, std::string_view defaultValue) {
  return IniFile::Read(file, section, key, defaultValue);
}

bool CorePlatform::WriteIniValue(std::string_view file, std::string_view section,
                                 std::string_view key, std::string_view value) {
  return IniFile::Write(file, section, key, value);
}

std::int32_t CorePlatform::ExtractArchive(std::string_view window, std::string_view control,
                                          std::string_view zipPath, std::string_view targetFolder) {
  return ZipExtractor::Extract(zipPath, targetFolder,
                               [&](int percent) { ArchiveProgress(window, control, percent); });
}

void CorePlatform::ArchiveProgress(std::string_view, std::string_view, int) {}

void* CorePlatform::BindExternal(std::string_view library, std::string_view function) {
  void* address = externals_->Bind(library, function);
  if (address == nullptr) {
    FatalError(JoinTexts({"无法找到指定DLL库文件“", library, "”中的输出命令“", function, "”"}));
  }
  return address;
}

void CorePlatform::SetExitCleanup(std::function<void()> cleanup) {
  exitCleanup_ = std::move(cleanup);
}

void CorePlatform::RunExitCleanup() {
  if (cleanupDone_) return;
  cleanupDone_ = true;
  if (auto cleanup = std::move(exitCleanup_)) cleanup();
  externals_->ReleaseAll();
}

void CorePlatform::FatalError(std::string_view message) {
  constexpr std::int32_t kMbIconError = 0x10;
  ShowMessageBox(JoinTexts({"运行时出错!\n\n错误信息：", message, "\n"}), kMbIconError, "错误");
  RunExitCleanup();
  std::fflush(nullptr);
  std::_Exit(-1);  // the exit code -1, seen as 255 by a Linux shell
}
}  // namespace kalvor
