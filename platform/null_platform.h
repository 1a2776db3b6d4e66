// The platform without a window toolkit: everything of CorePlatform (files and folders, INI files,
// the archive, external libraries, the exit clean-up and fatal errors), windows and controls that
// do not exist (loading fails, properties read as 0 or empty), message boxes answered with OK and
// written to standard error, no shell and no hotkeys. For tools, benchmarks and tests that need no
// screen; a test derives from it and overrides the one or two operations it watches.
#pragma once

#include "platform/core/core_platform.h"

namespace kalvor {

class NullPlatform : public CorePlatform {
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
  std::int32_t ShowMessageBox(std::string_view text, std::int32_t style, std::string_view title,
                              std::string_view parentWindow) override;
  // Runs the exit clean-up at once: there are no windows to wait for.
  int RunEventLoop() override;
  void RaiseFeedback(std::int32_t, std::int32_t, std::int32_t) override {}
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
};

}  // namespace kalvor
