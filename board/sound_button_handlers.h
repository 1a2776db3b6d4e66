// What the buttons of the main window do: play a built-in sound, show a button's hotkey label on
// hover, choose the target of the hotkey or slot dialog with a right click, and the four service
// buttons of every page and the two banners.
#pragma once

#include <cstdint>

namespace kalvor {

class SoundButtonHandlers {
 public:
  // Binds every handler family to every member of the main window.
  static void BindAll();

  static void PlayBuiltInSound(std::int32_t n);
  static void ShowHotkeyLabel(std::int32_t n);
  static void ChooseHotkeyTarget(std::int32_t n);
  static void ChooseSlotTarget(std::int32_t n);
  static void Stop();
  static void ContactAuthor();
  static void ShowAdvertising();
  static void ToggleAlwaysOnTop();
  static void TopBanner();
  static void BottomBanner();
};

}  // namespace kalvor
