#include "board/hotkey_host.h"

#include <string>

#include "audio/audio_front_end.h"
#include "board/hotkey_host_form.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"

namespace kalvor {
namespace {

constexpr std::string_view kHost = HotkeyHostForm::kName;
constexpr std::string_view kReceiver = HotkeyHostForm::kReceiver;
constexpr std::string_view kMainWindow = MainWindowForm::kName;
constexpr std::string_view kSwitch = MainWindowForm::kHotkeySwitch;
constexpr std::int32_t kVirtualKeyF1 = 0x70;

std::string FunctionKeyName(int k) {
  return JoinTexts({"F", NumberToText(k)});
}

void OnHostCreated(const EventArgs&) {
  HotkeyHostState& host = HotkeyHost();
  host.loaded = 1;
  for (int k = 0; k < 10; ++k) {
    const std::int32_t window = Platform().GetWindowHandle(kHost, kHost);
    const std::int32_t receiver = Platform().GetWindowHandle(kHost, kReceiver);
    host.ids[k] = Platform().RegisterGlobalHotkey(window, receiver, 0, kVirtualKeyF1 + k);
  }
}

void OnHostClosing(const EventArgs&) {
  HotkeyHostState& host = HotkeyHost();
  host.loaded = 0;
  for (int k = 0; k < 10; ++k) {
    Platform().UnregisterGlobalHotkey(Platform().GetWindowHandle(kHost, kHost), host.ids[k]);
  }
}

void OnFeedback(const EventArgs& args) {
  for (int k = 1; k <= 10; ++k) {
    if (args.first != HotkeyHost().ids[k - 1]) continue;
    const std::string sound = SettingsFile::Read(SettingsFile::kBindings, FunctionKeyName(k));
    if (CompareTexts(sound, "") != 0 && CompareTexts(sound, SettingsFile::kWithdrawn) != 0) {
      PlayNamedSound(sound);
    }
  }
}

void OnSwitchClicked(const EventArgs&) {
  if (Platform().GetInt(kMainWindow, kSwitch, Prop::Checked) == 1) {
    SettingsFile::Write(SettingsFile::kData, SettingsFile::kHotkeySwitch, "1");
    Platform().LoadWindow(kHost);
  } else {
    SettingsFile::Write(SettingsFile::kData, SettingsFile::kHotkeySwitch, "2");
    if (HotkeyHost().loaded == 1) Platform().UnloadWindow(kHost);
  }
}

}  // namespace

HotkeyHostState& HotkeyHost() {
  static HotkeyHostState state;
  return state;
}

void BindHotkeyHostHandlers() {
  PlatformServices& p = Platform();
  p.BindHandler(kHost, kHost, event::kCreated, OnHostCreated);
  p.BindHandler(kHost, kHost, event::kDestroyed, OnHostClosing);
  p.BindHandler(kHost, kReceiver, event::kFeedback, OnFeedback);
  p.BindHandler(kMainWindow, kSwitch, event::kClick, OnSwitchClicked);
}

void HotkeyStartStep(std::int32_t hotkeySwitch) {
  if (hotkeySwitch != 1) return;
  Platform().LoadWindow(kHost);
  Platform().SetInt(kMainWindow, kSwitch, Prop::Checked, 1);
}

void HotkeyStopStep() {
  if (HotkeyHost().loaded == 1) Platform().UnloadWindow(kHost);
}

}  // namespace kalvor
