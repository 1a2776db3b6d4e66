#include "board/hotkey_host.h"

#include <string>

#include "audio/audio_front_end.h"
#include "board/hotkey_host_form.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"

namespace kalvor {
namespace {

using Host = HotkeyHostForm;
using Main = MainWindowForm;
constexpr std::int32_t kVirtualKeyF1 = 0x70;

std::string FunctionKeyName(int k) {
  return JoinTexts({"F", NumberToText(k)});
}

void OnHostCreated(const EventArgs&) {
  HotkeyHostState& host = HotkeyHost();
  host.loaded = 1;
  for (int k = 0; k < 10; ++k) {
    const std::int32_t window = Platform().GetWindowHandle(Host::kName, Host::kName);
    const std::int32_t receiver = Platform().GetWindowHandle(Host::kName, Host::kReceiver);
    host.ids[k] = Platform().RegisterGlobalHotkey(window, receiver, 0, kVirtualKeyF1 + k);
  }
}

void OnHostClosing(const EventArgs&) {
  HotkeyHostState& host = HotkeyHost();
  host.loaded = 0;
  for (int k = 0; k < 10; ++k) {
    Platform().UnregisterGlobalHotkey(Platform().GetWindowHandle(Host::kName, Host::kName),
                                      host.ids[k]);
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
  if (Platform().GetInt(Main::kName, Main::kHotkeySwitch, Prop::Checked) == 1) {
    SettingsFile::Write(SettingsFile::kData, SettingsFile::kHotkeySwitch, "1");
    Platform().LoadWindow(Host::kName);
  } else {
    SettingsFile::Write(SettingsFile::kData, SettingsFile::kHotkeySwitch, "2");
    if (HotkeyHost().loaded == 1) Platform().UnloadWindow(Host::kName);
  }
}

}  // namespace

HotkeyHostState& HotkeyHost() {
  static HotkeyHostState state;
  return state;
}

void BindHotkeyHostHandlers() {
  PlatformServices& p = Platform();
  p.BindHandler(Host::kName, Host::kName, event::kCreated, OnHostCreated);
  p.BindHandler(Host::kName, Host::kName, event::kDestroyed, OnHostClosing);
  p.BindHandler(Host::kName, Host::kReceiver, event::kFeedback, OnFeedback);
  p.BindHandler(Main::kName, Main::kHotkeySwitch, event::kClick, OnSwitchClicked);
}

void HotkeyStartStep(std::int32_t hotkeySwitch) {
  if (hotkeySwitch != 1) return;
  Platform().LoadWindow(Host::kName);
  Platform().SetInt(Main::kName, Main::kHotkeySwitch, Prop::Checked, 1);
}

void HotkeyStopStep() {
  if (HotkeyHost().loaded == 1) Platform().UnloadWindow(Host::kName);
}

}  // namespace kalvor
