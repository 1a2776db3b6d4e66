// The two entries of data.ini the virtual microphone reads, and how our server modules are told
// apart from everybody else's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "audiolib/chat_settings.h"
#include "audiolib/pulse_modules.h"
#include "tests/audiolib/test_sound_files.h"

namespace kalvor::audiolib {
namespace {

TEST(ChatSettings, OnlyATwoInTheChatSectionTurnsAPartOff) {
  struct Case {
    const char* ini;
    bool mic;
    bool monitor;
  };
  const Case cases[] = {
      {"", true, true},
      {"[chat]\r\nmic=2\r\n", false, true},
      {"[Chat]\n monitor = \"2\" \n", true, false},
      {"[data]\r\nid=3\r\nname=\xC9\xF9\r\n[CHAT]\r\nMIC=2\r\nmonitor=2", false, false},
      {"[chat]\nmic=1\nmonitor=22\n", true, true},
      {"[chat]\nmic=\nmonitor=2x\n", true, true},
      {"[other]\nmic=2\n[chat]\nmonitor=2\n", true, false},
      // The first section and the first entry count, as with the program's own reader.
      {"[chat]\nmic=2\nmic=1\n[chat]\nmonitor=2\n", false, true},
      {"[chat]\nmic 2\n;monitor=2\n", true, true},
  };
  for (const Case& c : cases) {
    const ChatSettings settings = ChatSettings::parse(c.ini);
    EXPECT_EQ(settings.mic, c.mic) << c.ini;
    EXPECT_EQ(settings.monitor, c.monitor) << c.ini;
  }
}

TEST(ChatSettings, FileIsFoundWhereTheProgramKeepsItAndMayBeMissing) {
  test::TestSoundFiles files;
  const std::string home = files.folder("home");
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
  EXPECT_EQ(ChatSettings::default_path(), home + "/.local/share/kalvor/data.ini");
  ::setenv("XDG_DATA_HOME", (home + "/data/").c_str(), 1);
  EXPECT_EQ(ChatSettings::default_path(), home + "/data/kalvor/data.ini");
  const ChatSettings missing = ChatSettings::read(ChatSettings::default_path());
  EXPECT_TRUE(missing.mic && missing.monitor);
  const std::string path = files.bytes("data.ini", "[chat]\r\nmonitor=2\r\n");
  EXPECT_FALSE(ChatSettings::read(path).monitor);
}

TEST(PulseModules, OursAreKnownByNameAndCarryTheirOwner) {
  EXPECT_TRUE(
      PulseModules::is_ours("module-null-sink", PulseModules::sink_arguments(48000, 4242).c_str()));
  EXPECT_TRUE(
      PulseModules::is_ours("module-remap-source", PulseModules::source_arguments(7).c_str()));
  EXPECT_EQ(PulseModules::owner(PulseModules::sink_arguments(44100, 4242).c_str()), 4242);
  EXPECT_EQ(PulseModules::owner(PulseModules::source_arguments(7).c_str()), 7);
  // Left behind by hand or by an older board: ours by name, without an owner.
  EXPECT_TRUE(
      PulseModules::is_ours("module-remap-source", "master=x.monitor source_name=kalvor_mic"));
  EXPECT_EQ(PulseModules::owner("source_name=kalvor_mic"), 0);
  // Somebody else's.
  EXPECT_FALSE(PulseModules::is_ours("module-null-sink", "sink_name=kalvor_mix2"));
  EXPECT_FALSE(PulseModules::is_ours("module-null-sink", "sink_name=my_kalvor_mix"));
  EXPECT_FALSE(PulseModules::is_ours("module-remap-source", "master=kalvor_mix.monitor"));
  EXPECT_FALSE(PulseModules::is_ours("module-loopback", "sink_name=kalvor_mix"));
  EXPECT_FALSE(PulseModules::is_ours("module-null-sink", nullptr));
}

}  // namespace
}  // namespace kalvor::audiolib
