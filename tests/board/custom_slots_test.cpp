// The sixteen user-defined slots and their dialog, with the file dialog answered by the test.
#include <QTest>
#include <filesystem>
#include <fstream>

#include "audio/audio_front_end.h"
#include "board/hotkey_targets.h"
#include "board/path_parts.h"
#include "board/sound_catalogue.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"

namespace kalvor::test {
namespace {

// A short 16-bit mono WAV file of a 440 Hz tone.
void WriteWav(const std::filesystem::path& path) {
  std::filesystem::create_directories(path.parent_path());
  const std::uint32_t rate = 22050, frames = rate / 4;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + frames * 2);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(frames * 2);
  for (std::uint32_t i = 0; i < frames; ++i) {
    u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(8000 * ((i / 25) % 2 ? 1 : -1))));
  }
}

class CustomSlotsTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    WriteSetting("data", "kjj", "2");
  }
  std::string Caption(int n) {
    return P().GetText("MainWindow", SoundCatalogue::UnitName(n), Prop::Caption);
  }
  std::string Field(const char* box) { return P().GetText("CustomSoundDialog", box, Prop::Text); }
  void OpenDialogFor(int slot) { RightPress("MainWindow", SoundCatalogue::UnitName(slot)); }
  void Choose(std::optional<std::string> answer) {
    PlatformSeam::Instance().QueueFileDialogAnswer(std::move(answer));
    Click("CustomSoundDialog", "按钮1");
  }
  std::string SoundFolder() { return (home_ / "我的 音效").string() + "/"; }
};

TEST_F(CustomSlotsTest, PathPartsFollowTheLastSeparatorAndTheLastDot) {
  struct Case {
    const char* path;
    const char* name;
    const char* ext;
  };
  for (const Case& c :
       {Case{"/a/b/开场.wav", "开场.wav", ".wav"}, Case{"/x/a.b.mp3", "a.b.mp3", ".mp3"},
        Case{"/x/noext", "noext", ""}, Case{"plain.ogg", "plain.ogg", ".ogg"},
        Case{"/dir.v2/file", "file", ""}, Case{"/trailing/", "trailing/", ""}, Case{"", "", ""}}) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PathParts::FileName(c.path), c.name);
    EXPECT_EQ(PathParts::Extension(PathParts::FileName(c.path)), c.ext);
  }
}

TEST_F(CustomSlotsTest, StartShowsStoredTitlesAndEveryOtherSlotEmpty) {
  WriteSetting("标题", "97", "开场白");
  WriteSetting("标题", "112", "结束");
  StartBoard();
  EXPECT_EQ(Caption(97), "开场白");
  EXPECT_EQ(Caption(112), "结束");
  for (int n = 98; n <= 111; ++n) EXPECT_EQ(Caption(n), "") << n;
}

TEST_F(CustomSlotsTest, ASlotPlaysItsPathWhateverItsTitle) {
  WriteWav(SoundFolder() + "开场.wav");
  WriteSetting("标题", "98", "只有标题");
  WriteSetting("zdy", "99", SoundFolder() + "开场.wav");
  WriteSetting("zdy", "101", SoundFolder() + "开场.wav");
  StartBoard();
  Library().Clear();
  Click("MainWindow", "音效按钮98");  // a title without a path is silent
  EXPECT_TRUE(Library().openedPaths.empty());
  EXPECT_EQ(Caption(99), "");
  Click("MainWindow", "音效按钮99");   // a path without a title plays
  Click("MainWindow", "音效按钮101");  // two slots may share a path
  EXPECT_EQ(Library().openedPaths,
            (std::vector<std::string>{SoundFolder() + "开场.wav", SoundFolder() + "开场.wav"}));
  EXPECT_NE(Library().createdStreams.at(1), 0u);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

TEST_F(CustomSlotsTest, ChoosingAFileFillsPathAndTitle) {
  StartBoard();
  OpenDialogFor(100);
  struct Case {
    std::string path;
    const char* title;
  };
  for (const Case& c : {Case{SoundFolder() + "开场.wav", "开场"}, Case{"/tmp/a.b.mp3", "a.b"},
                        Case{"/tmp/noext", "noext"}}) {
    P().SetText("CustomSoundDialog", "编辑框1", Prop::Text, "typed by the user");
    Choose(c.path);
    EXPECT_EQ(Field("编辑框2"), c.path);
    EXPECT_EQ(Field("编辑框1"), c.title);
  }
  // A cancel puts the previous choice back.
  Choose(std::nullopt);
  EXPECT_EQ(Field("编辑框2"), "/tmp/noext");
  EXPECT_EQ(Field("编辑框1"), "noext");
}

TEST_F(CustomSlotsTest, CancellingTheFirstChoiceEmptiesBothFields) {
  WriteSetting("标题", "100", "旧标题");
  WriteSetting("zdy", "100", "/old/path.mp3");
  StartBoard();
  OpenDialogFor(100);
  EXPECT_EQ(Field("编辑框1"), "旧标题");
  EXPECT_EQ(Field("编辑框2"), "/old/path.mp3");
  Choose(std::nullopt);
  EXPECT_EQ(Field("编辑框1"), "");
  EXPECT_EQ(Field("编辑框2"), "");
}

TEST_F(CustomSlotsTest, AddStoresUnderTheLatestTargetAndRefreshesCaptions) {
  WriteWav(SoundFolder() + "掌声 2.wav");
  WriteSetting("标题", "98", "九十八");
  WriteSetting("zdy", "98", "/old/98.mp3");
  StartBoard();
  OpenDialogFor(98);
  OpenDialogFor(105);  // the open dialog keeps showing slot 98
  EXPECT_EQ(Field("编辑框1"), "九十八");
  Choose(SoundFolder() + "掌声 2.wav");
  Click("CustomSoundDialog", "按钮2");
  EXPECT_FALSE(P().IsWindowLoaded("CustomSoundDialog"));
  EXPECT_EQ(ReadSetting("标题", "105"), "掌声 2");
  EXPECT_EQ(ReadSetting("zdy", "105"), SoundFolder() + "掌声 2.wav");
  EXPECT_EQ(ReadSetting("zdy", "98"), "/old/98.mp3");
  EXPECT_EQ(Caption(105), "掌声 2");
  Library().Clear();
  Click("MainWindow", "音效按钮105");
  ASSERT_EQ(Library().createdStreams.size(), 1u);
  EXPECT_NE(Library().createdStreams[0], 0u);
}

TEST_F(CustomSlotsTest, AddAfterABuiltInRightClickLeavesThatButtonAlone) {
  StartBoard();
  OpenDialogFor(98);
  RightPress("MainWindow", "音效按钮5");  // the hotkey dialog opens as well
  EXPECT_EQ(Targets().buttonNumber, 5);
  P().SetText("CustomSoundDialog", "编辑框1", Prop::Text, "别的");
  P().SetText("CustomSoundDialog", "编辑框2", Prop::Text, "/nowhere.mp3");
  Click("CustomSoundDialog", "按钮2");
  EXPECT_EQ(ReadSetting("标题", "5"), "别的");
  EXPECT_EQ(Caption(5), "尖叫声");
  Library().Clear();
  Click("MainWindow", "音效按钮5");
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{DataDir() + "music/尖叫声.mp3"});
}

TEST_F(CustomSlotsTest, ADeletedSlotFileIsReportedAndTheEntryKept) {
  WriteWav(SoundFolder() + "gone.wav");
  WriteSetting("zdy", "97", SoundFolder() + "gone.wav");
  StartBoard();
  std::filesystem::remove(SoundFolder() + "gone.wav");
  Click("MainWindow", "音效按钮97");
  ASSERT_EQ(PlatformSeam::Instance().Messages().size(), 1u);
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].text, "打开文件失败");
  EXPECT_EQ(ReadSetting("zdy", "97"), SoundFolder() + "gone.wav");
}

}  // namespace
}  // namespace kalvor::test
