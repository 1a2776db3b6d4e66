#include "board/custom_slots.h"

#include "audio/audio_front_end.h"
#include "board/custom_sound_dialog_form.h"
#include "board/hotkey_targets.h"
#include "board/main_window_form.h"
#include "board/path_parts.h"
#include "board/settings_file.h"
#include "board/sound_catalogue.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {
using Dialog = CustomSoundDialogForm;
constexpr std::string_view kMain = MainWindowForm::kName;
}  // namespace

void CustomSlots::BindDialogHandlers() {
  PlatformServices& platform = Platform();
  platform.BindHandler(Dialog::kName, Dialog::kName, event::kCreated,
                       [](const EventArgs&) { DialogCreated(); });
  platform.BindHandler(Dialog::kName, CustomSoundDialogForm::kChoose, event::kClick,
                       [](const EventArgs&) { ChooseFile(); });
  platform.BindHandler(Dialog::kName, CustomSoundDialogForm::kAdd, event::kClick,
                       [](const EventArgs&) { AddSlot(); });
}

void CustomSlots::PlaySlot(std::int32_t n) {
  const std::string path = SettingsFile::Read(SettingsFile::kSlotPaths, n);
  if (path.empty()) return;
  PlaySoundFile(path);
}

void CustomSlots::RefreshCustomCaptions() {
  PlatformServices& platform = Platform();
  for (int n = SoundCatalogue::kFirstSlot; n <= SoundCatalogue::kLastSlot; ++n) {
    platform.SetText(kMain, SoundCatalogue::UnitName(n), Prop::Caption,
                     SettingsFile::Read(SettingsFile::kSlotTitles, n));
  }
}

// The dialog knows its slot only through the target number, read afresh by every handler.
void CustomSlots::DialogCreated() {
  PlatformServices& platform = Platform();
  platform.SetText(Dialog::kName, Dialog::kTitleBox, Prop::Text,
                   SettingsFile::Read(SettingsFile::kSlotTitles, Targets().buttonNumber));
  platform.SetText(Dialog::kName, Dialog::kPathBox, Prop::Text,
                   SettingsFile::Read(SettingsFile::kSlotPaths, Targets().buttonNumber));
}

void CustomSlots::ChooseFile() {
  PlatformServices& platform = Platform();
  // A cancel keeps the file name chosen before (empty on a freshly opened dialog).
  platform.RunFileDialog(Dialog::kName, Dialog::kFileDialog);
  platform.SetText(Dialog::kName, Dialog::kPathBox, Prop::Text,
                   platform.GetText(Dialog::kName, Dialog::kFileDialog, Prop::FileName));
  const std::string path = platform.GetText(Dialog::kName, Dialog::kPathBox, Prop::Text);
  const std::string_view name = PathParts::FileName(path);
  const std::string_view extension = PathParts::Extension(name);
  platform.SetText(Dialog::kName, Dialog::kTitleBox, Prop::Text,
                   LeftText(name, TextLength(name) - TextLength(extension)));
}

void CustomSlots::AddSlot() {
  PlatformServices& platform = Platform();
  SettingsFile::Write(SettingsFile::kSlotTitles, Targets().buttonNumber,
                      platform.GetText(Dialog::kName, Dialog::kTitleBox, Prop::Text));
  SettingsFile::Write(SettingsFile::kSlotPaths, Targets().buttonNumber,
                      platform.GetText(Dialog::kName, Dialog::kPathBox, Prop::Text));
  RefreshCustomCaptions();
  platform.UnloadWindow(Dialog::kName);
}

}  // namespace kalvor
