#include "board/sound_button_handlers.h"

#include "audio/audio_front_end.h"
#include "board/ads_window_form.h"
#include "board/custom_slots.h"
#include "board/custom_sound_dialog_form.h"
#include "board/help_page.h"
#include "board/hotkey_dialog_form.h"
#include "board/hotkey_targets.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "board/sound_catalogue.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {

constexpr std::string_view kMain = MainWindowForm::kName;

// "置顶/取消" on page 1 and "广告专区" on page 4 carry their namesakes' captions but have never
// done anything; hosts know them that way, so they stay inert.
constexpr std::string_view kInertButtons[] = {"按钮122", "按钮130"};

bool IsInert(std::string_view unit) {
  for (std::string_view inert : kInertButtons) {
    if (unit == inert) return true;
  }
  return false;
}

// Slots whose right click also makes their title the hotkey dialog's sound name.
bool SlotSetsSoundName(std::int32_t n) {
  return n == 97 || n == 98 || n == 99 || n == 104;
}

}  // namespace

void SoundButtonHandlers::BindAll() {
  PlatformServices& platform = Platform();
  for (int n = SoundCatalogue::kFirstBuiltIn; n <= SoundCatalogue::kLastSlot; ++n) {
    const std::string unit = SoundCatalogue::UnitName(n);
    platform.BindHandler(kMain, unit, event::kMouseMove,
                         [n](const EventArgs&) { ShowHotkeyLabel(n); });
    if (SoundCatalogue::IsBuiltIn(n)) {
      platform.BindHandler(kMain, unit, event::kClick,
                           [n](const EventArgs&) { PlayBuiltInSound(n); });
      platform.BindHandler(kMain, unit, event::kRightDown,
                           [n](const EventArgs&) { ChooseHotkeyTarget(n); });
    } else {
      platform.BindHandler(kMain, unit, event::kClick,
                           [n](const EventArgs&) { CustomSlots::PlaySlot(n); });
      platform.BindHandler(kMain, unit, event::kRightDown,
                           [n](const EventArgs&) { ChooseSlotTarget(n); });
    }
  }
  for (const ServiceButton& button : SoundCatalogue::ServiceButtons()) {
    if (IsInert(button.unitName)) continue;
    void (*action)() = nullptr;
    switch (button.role) {
      case ServiceRole::Stop:
        action = &Stop;
        break;
      case ServiceRole::Contact:
        action = &ContactAuthor;
        break;
      case ServiceRole::Ads:
        action = &ShowAdvertising;
        break;
      case ServiceRole::TopMost:
        action = &ToggleAlwaysOnTop;
        break;
    }
    platform.BindHandler(kMain, button.unitName, event::kClick,
                         [action](const EventArgs&) { action(); });
  }
  platform.BindHandler(kMain, MainWindowForm::kTopBanner, event::kLeftDown,
                       [](const EventArgs&) { TopBanner(); });
  platform.BindHandler(kMain, MainWindowForm::kBottomBanner, event::kLeftDown,
                       [](const EventArgs&) { BottomBanner(); });
}

void SoundButtonHandlers::PlayBuiltInSound(std::int32_t n) {
  // The caption is read at every click, not taken from a table.
  const std::string caption = Platform().GetText(kMain, SoundCatalogue::UnitName(n), Prop::Caption);
  PlayNamedSound(caption);
}

void SoundButtonHandlers::ShowHotkeyLabel(std::int32_t n) {
  // Read afresh on every move so a binding made anywhere shows at once; an unbound button empties
  // the label, and leaving a button never clears it.
  Platform().SetText(kMain, MainWindowForm::kHotkeyLabel, Prop::Caption,
                     SettingsFile::Read(SettingsFile::kLabels, n));
}

void SoundButtonHandlers::ChooseHotkeyTarget(std::int32_t n) {
  Targets().soundName = Platform().GetText(kMain, SoundCatalogue::UnitName(n), Prop::Caption);
  Targets().buttonNumber = n;
  Platform().LoadWindow(HotkeyDialogForm::kName, false);
}

void SoundButtonHandlers::ChooseSlotTarget(std::int32_t n) {
  if (SlotSetsSoundName(n)) {
    Targets().soundName = Platform().GetText(kMain, SoundCatalogue::UnitName(n), Prop::Caption);
  }
  Targets().buttonNumber = n;
  Platform().LoadWindow(CustomSoundDialogForm::kName, false);
}

void SoundButtonHandlers::Stop() {
  StopSound();
}

void SoundButtonHandlers::ContactAuthor() {
  Platform().OpenUrl(HelpPage::ContactAddress());
}

void SoundButtonHandlers::ShowAdvertising() {
  Platform().LoadWindow(AdsWindowForm::kName, true);
}

void SoundButtonHandlers::ToggleAlwaysOnTop() {
  PlatformServices& platform = Platform();
  const bool onTop = platform.GetInt(kMain, kMain, Prop::TopMost) != 0;
  platform.SetInt(kMain, kMain, Prop::TopMost, onTop ? 0 : 1);
}

void SoundButtonHandlers::TopBanner() {
  constexpr std::int32_t kVerbOpen = 4;
  Platform().ExecuteWithVerb(kVerbOpen, HelpPage::ContactAddress());
}

void SoundButtonHandlers::BottomBanner() {
  Platform().OpenUrl(HelpPage::AboutAddress());
}

}  // namespace kalvor
