// The two entries of the program's settings file that shape the virtual microphone, section
// [chat]: mic = "2" leaves the host's microphone out of it, monitor = "2" keeps the effects off
// the host's speakers; anything else, or no entry, leaves both on. They are read each time the
// device opens, from data.ini in the program's per-user data folder
// ($XDG_DATA_HOME/kalvor/, else ~/.local/share/kalvor/), where the program keeps it. The file is
// GBK; the names and values read here are plain ASCII, so no conversion is needed. Names are
// matched without regard to case, blanks around them and one pair of quotes around a value are
// ignored, as the program's own reader does.
#pragma once

#include <string>
#include <string_view>

namespace kalvor::audiolib {

struct ChatSettings {
  bool mic = true;
  bool monitor = true;

  static ChatSettings parse(std::string_view ini_text);
  static ChatSettings read(const std::string& path);
  // data.ini in the program's per-user data folder; empty when there is no home to find it in.
  static std::string default_path();
};

}  // namespace kalvor::audiolib
