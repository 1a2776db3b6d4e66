#include "board/hotkey_dialog.h"

#include <cstdint>

#include "audio/audio_front_end.h"
#include "board/hotkey_dialog_form.h"
#include "board/hotkey_targets.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"

namespace kalvor {
namespace {

using Dialog = HotkeyDialogForm;
constexpr std::int32_t kButtonCount = 112;

std::string KeyBoxText() {
  return Platform().GetText(Dialog::kName, Dialog::kKeyList, Prop::Text);
}

void OnCreated(const EventArgs&) {
  PlatformServices& p = Platform();
  p.SetText(Dialog::kName, Dialog::kSoundLabel, Prop::Caption, Targets().soundName);
  p.SetText(Dialog::kName, Dialog::kKeyList, Prop::Text,
            SettingsFile::Read(SettingsFile::kLabels, Targets().buttonNumber));
  PreviousHotkeyLabel() = KeyBoxText();
}

// Refuses a key that any sound button carries, its own included. After a refusal the box shows
// the placeholder, and the rest of the scan compares against that.
void OnKeyPicked(const EventArgs&) {
  PlatformServices& p = Platform();
  p.SetInt(Dialog::kName, Dialog::kConfirm, Prop::Disable, 1);
  for (std::int32_t n = 1; n <= kButtonCount; ++n) {
    if (CompareTexts(SettingsFile::Read(SettingsFile::kLabels, n), KeyBoxText()) == 0) {
      p.SetInt(Dialog::kName, Dialog::kKeyList, Prop::ListIndex, 0);
      p.ShowMessageBox(JoinTexts({KeyBoxText(), "被占用"}), kMbOk);
    }
  }
  p.SetInt(Dialog::kName, Dialog::kConfirm, Prop::Disable, 0);
}

void OnConfirm(const EventArgs&) {
  const std::string key = KeyBoxText();
  SettingsFile::Write(SettingsFile::kBindings, PreviousHotkeyLabel(), SettingsFile::kWithdrawn);
  if (CompareTexts(key, Dialog::kNoKeyItem) != 0) {
    SettingsFile::Write(SettingsFile::kLabels, Targets().buttonNumber, key);
    SettingsFile::Write(SettingsFile::kBindings, key, Targets().soundName);
  } else {
    Platform().ShowMessageBox("设置无效", kMbOk);
  }
  Platform().UnloadWindow(Dialog::kName);
}

void OnClearAll(const EventArgs&) {
  SettingsFile::Remove();
  SettingsFile::Write(SettingsFile::kData, SettingsFile::kVolume,
                      NumberToText(Platform().GetInt(
                          MainWindowForm::kName, MainWindowForm::kVolumeSlider, Prop::Position)));
  SettingsFile::Write(SettingsFile::kData, SettingsFile::kDevice,
                      NumberToText(Audio().outputDevice));
  Platform().UnloadWindow(Dialog::kName);
}

}  // namespace

std::string& PreviousHotkeyLabel() {
  static std::string label;
  return label;
}

void BindHotkeyDialogHandlers() {
  PlatformServices& p = Platform();
  p.BindHandler(Dialog::kName, Dialog::kName, event::kCreated, OnCreated);
  p.BindHandler(Dialog::kName, Dialog::kKeyList, event::kSelected, OnKeyPicked);
  p.BindHandler(Dialog::kName, Dialog::kConfirm, event::kClick, OnConfirm);
  p.BindHandler(Dialog::kName, Dialog::kClearAll, event::kClick, OnClearAll);
}

}  // namespace kalvor
