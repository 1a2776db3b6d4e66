// A platform that does nothing: every operation reports failure or does nothing, a fatal error
// aborts. Tests derive from it and override the one or two operations they watch.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/platform_services.h"

namespace kalvor::test {

class NullPlatform : public PlatformServices {
 public:
  void RegisterForm(const FormDef&) override {}
  void BindHandler(std::string_view, std::string_view, int, Handler) override {}
  bool LoadWindow(std::string_view, bool) override { return false; }
  void UnloadWindow(std::string_view) override {}
  bool IsWindowLoaded(std::string_view) const override { return false; }
  std::int32_t GetInt(std::string_view, std::string_view, Prop) override { return 0; }
  void SetInt(std::string_view, std::string_view, Prop, std::int32_t) override {}
  std::string GetText(std::string_view, std::string_view, Prop) override { return {}; }
  void SetText(std::string_view, std::string_view, Prop, std::string_view) override {}
  std::int32_t GetWindowHandle(std::string_view, std::string_view) override { return 0; }
  std::int32_t AddComboItem(std::string_view, std::string_view, std::string_view,
                            std::int32_t) override {
    return -1;
  }
  bool RunFileDialog(std::string_view, std::string_view) override { return false; }
  std::int32_t ShowMessageBox(std::string_view, std::int32_t, std::string_view,
                              std::string_view) override {
    return kIdOk;
  }
  int RunEventLoop() override { return 0; }
  void RaiseFeedback(std::int32_t, std::int32_t, std::int32_t) override {}
  std::string GetSpecialFolder(std::int32_t) override { return {}; }
  bool FileExists(std::string_view) override { return false; }
  bool RemoveFile(std::string_view) override { return false; }
  std::string FindFiles(std::string_view) override { return {}; }
  bool WriteBytesToFile(std::string_view,
                        std::initializer_list<std::span<const std::uint8_t>>) override {
    return false;
  }
  std::string ReadIniValue(std::string_view, std::string_view, std::string_view,
                           std::string_view) override {
    return {};
  }
  bool WriteIniValue(std::string_view, std::string_view, std::string_view,
                     std::string_view) override {
    return false;
  }
  std::int32_t ExtractArchive(std::string_view, std::string_view, std::string_view,
                              std::string_view) override {
    return -1;
  }
  void OpenUrl(std::string_view) override {}
  std::int32_t ExecuteWithVerb(std::int32_t, std::string_view, std::string_view, std::string_view,
                               std::int32_t) override {
    return 0;
  }
  std::int32_t RegisterGlobalHotkey(std::int32_t, std::int32_t, std::int32_t,
                                    std::int32_t) override {
    return 0;
  }
  bool UnregisterGlobalHotkey(std::int32_t, std::int32_t) override { return false; }
  void* BindExternal(std::string_view, std::string_view) override { return nullptr; }
  void SetExitCleanup(std::function<void()>) override {}
  [[noreturn]] void FatalError(std::string_view) override { std::abort(); }
};

}  // namespace kalvor::test
