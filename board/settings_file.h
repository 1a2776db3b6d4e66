// The settings file data.ini in the per-user data folder: its sections and keys, and the one-entry
// reads and writes every handler uses. Nothing is cached: the path is built afresh and the file is
// read or rewritten on every call, so the file on disk is always the current state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvor {

class SettingsFile {
 public:
  static constexpr std::string_view kFileName = "data.ini";

  // [data]: output device number, volume percent, hotkey switch ("1" on, "2" off).
  static constexpr std::string_view kData = "data";
  static constexpr std::string_view kDevice = "id";
  static constexpr std::string_view kVolume = "vi";
  static constexpr std::string_view kHotkeySwitch = "kjj";
  // [ed] N: hotkey label of sound button N. [dat] F1..F10: the sound bound to that key.
  static constexpr std::string_view kLabels = "ed";
  static constexpr std::string_view kBindings = "dat";
  // [zdy] N / [标题] N: path and title of user-defined slot N.
  static constexpr std::string_view kSlotPaths = "zdy";
  static constexpr std::string_view kSlotTitles = "标题";
  // A withdrawn function-key binding; readers treat it like a missing entry.
  static constexpr std::string_view kWithdrawn = "空";

  // <AppDataDir>data.ini, asking the platform for the folder every time.
  static std::string Path();
  // The stored value, "" when the file, section or key is missing.
  static std::string Read(std::string_view section, std::string_view key);
  static std::string Read(std::string_view section, std::int32_t key);
  static void Write(std::string_view section, std::string_view key, std::string_view value);
  static void Write(std::string_view section, std::int32_t key, std::string_view value);
  // The stored value as a number, truncated toward zero; 0 when missing or not a number.
  static std::int32_t ReadNumber(std::string_view section, std::string_view key);
  // Deletes the whole file.
  static bool Remove();
};

}  // namespace kalvor
