// The sixteen user-defined slots of the "自定义" page: each plays the file stored under its number
// in the settings file and shows the stored title; CustomSoundDialog edits one slot.
#pragma once

#include <cstdint>

namespace kalvor {

class CustomSlots {
 public:
  static void BindDialogHandlers();
  // Plays slot n's stored path; silent when it has none.
  static void PlaySlot(std::int32_t n);
  // Puts the stored titles of slots 97..112 on their buttons, empty titles included.
  static void RefreshCustomCaptions();

  static void DialogCreated();
  static void ChooseFile();
  static void AddSlot();
};

}  // namespace kalvor
