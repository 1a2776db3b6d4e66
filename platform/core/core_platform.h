// The part of the platform that needs no window toolkit: files and folders, INI files, the
// archive, external libraries, the exit clean-up and fatal errors. A toolkit platform derives
// from it and adds windows, controls, dialogs, the shell and hotkeys.
#pragma once

#include <functional>
#include <memory>

#include "platform/platform_services.h"

namespace kalvor {

class ExternalLibraries;
class FileSearch;

class CorePlatform : public PlatformServices {
 public:
  CorePlatform();
  ~CorePlatform() override;

  std::string GetSpecialFolder(std::int32_t code) override;
  bool FileExists(std::string_view path) override;
  bool RemoveFile(std::string_view path) override;
  std::string FindFiles(std::string_view pattern) override;
  bool WriteBytesToFile(std::string_view path,
                        std::initializer_list<std::span<const std::uint8_t>> blocks) override;
  std::string ReadIniValue(std::string_view file, std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) override;
  bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value) override;
  std::int32_t ExtractArchive(std::string_view window, std::string_view control,
                              std::string_view zipPath, std::string_view targetFolder) override;
  void* BindExternal(std::string_view library, std::string_view function) override;
  void SetExitCleanup(std::function<void()> cleanup) override;
  [[noreturn]] void FatalError(std::string_view message) override;

  // Makes the program's own folder the current folder, creates the per-user data and library
  // folders (codes 8 and 10) and removes the temporary files that writers of the settings file
  // which have ended left in the data folder. Called once at process start.
  static void PrepareProcess(const char* argv0);
  // Runs the exit clean-up (once) and releases the bound external libraries.
  void RunExitCleanup();

 protected:
  // Called by ExtractArchive after each entry with the share done in percent; the toolkit
  // platform raises the archive control's progress event from here.
  virtual void ArchiveProgress(std::string_view window, std::string_view control, int percent);

 private:
  std::function<void()> exitCleanup_;
  bool cleanupDone_ = false;
  std::unique_ptr<ExternalLibraries> externals_;
  std::unique_ptr<FileSearch> search_;
};

}  // namespace kalvor
