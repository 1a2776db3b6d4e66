#include "board/settings_file.h"

#include "platform/platform_services.h"

namespace kalvor {

std::string SettingsFile::Path() {
  return JoinTexts({Platform().GetSpecialFolder(8), kFileName});
}

std::string SettingsFile::Read(std::string_view section, std::string_view key) {
  return Platform().ReadIniValue(Path(), section, key);
}

std::string SettingsFile::Read(std::string_view section, std::int32_t key) {
  return Read(section, NumberToText(key));
}

void SettingsFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  Platform().WriteIniValue(Path(), section, key, value);
}

void SettingsFile::Write(std::string_view section, std::int32_t key, std::string_view value) {
  Write(section, NumberToText(key), value);
}

std::int32_t SettingsFile::ReadNumber(std::string_view section, std::string_view key) {
  return TruncateToInt(TextToNumber(Read(section, key)));
}

bool SettingsFile::Remove() {
  return Platform().RemoveFile(Path());
}

}  // namespace kalvor
