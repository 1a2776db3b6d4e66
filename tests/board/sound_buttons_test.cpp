// The buttons of the main window as a host uses them: real mouse events on the real widgets.
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "audio/audio_front_end.h"
#include "board/hotkey_targets.h"
#include "board/sound_catalogue.h"
#include "platform/core/platform_seam.h"
#include "platform/core/special_folders.h"
#include "tests/board/board_fixture.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

class SoundButtonsTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    WriteSetting("data", "kjj", "2");  // no global key grabs in these tests
    StartBoard();
    Library().Clear();
  }
  std::string MusicPath(std::string_view name) {
    return DataDir() + "music/" + std::string(name) + ".mp3";
  }
  std::string Status() { return P().GetText("MainWindow", "标签2", Prop::Caption); }
};

TEST_F(SoundButtonsTest, EveryBuiltInButtonPlaysItsDeployedSoundFile) {
  for (int n = SoundCatalogue::kFirstBuiltIn; n <= SoundCatalogue::kLastBuiltIn; ++n) {
    SCOPED_TRACE(n);
    Library().Clear();
    Click("MainWindow", SoundCatalogue::UnitName(n));
    // Sound names match the archive's files without regard to Latin letter case.
    const std::string expected =
        n == 23 ? MusicPath("MC教学鼓") : MusicPath(SoundCatalogue::Caption(n));
    ASSERT_EQ(Library().openedPaths, std::vector<std::string>{expected});
    EXPECT_NE(Library().createdStreams.at(0), 0u);
  }
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  EXPECT_EQ(Audio().playState, kPlayStarted);
}

TEST_F(SoundButtonsTest, ButtonsSharingACaptionPlayTheSameFile) {
  for (int n : {3, 17, 19}) Click("MainWindow", SoundCatalogue::UnitName(n));
  ASSERT_EQ(Library().openedPaths.size(), 3u);
  EXPECT_EQ(Library().openedPaths[0], MusicPath("欢呼掌声"));
  EXPECT_EQ(Library().openedPaths[1], Library().openedPaths[0]);
  EXPECT_EQ(Library().openedPaths[2], Library().openedPaths[0]);
  // Each new sound releases the one before it.
  EXPECT_EQ(Library().freedStreams.at(1), Library().createdStreams.at(0));
  EXPECT_EQ(Library().freedStreams.at(2), Library().createdStreams.at(1));
}

TEST_F(SoundButtonsTest, ClickReadsTheCaptionAtEveryClick) {
  P().SetText("MainWindow", "音效按钮1", Prop::Caption, "打雷");
  Click("MainWindow", "音效按钮1");
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{MusicPath("打雷")});
}

TEST_F(SoundButtonsTest, PlaysAtTheCurrentVolume) {
  Audio().volumePercent = 40;
  Click("MainWindow", "音效按钮5");
  ASSERT_FALSE(Library().volumes.empty());
  EXPECT_FLOAT_EQ(Library().volumes.back().second, 0.4f);
}

TEST_F(SoundButtonsTest, HoverShowsTheBoundKeyAndNeverClearsOnLeave) {
  WriteSetting("ed", "7", "F3");
  Hover("MainWindow", "音效按钮7");
  EXPECT_EQ(Status(), "F3");
  // Moving onto a service button, a banner or the background leaves the label as it is.
  Hover("MainWindow", "按钮1");
  Hover("MainWindow", "图片框2");
  Hover("MainWindow", "MainWindow");
  EXPECT_EQ(Status(), "F3");
  // An unbound button empties it; the file is read afresh at every move.
  Hover("MainWindow", "音效按钮8");
  EXPECT_EQ(Status(), "");
  WriteSetting("ed", "8", "F9");
  Hover("MainWindow", "音效按钮8");
  EXPECT_EQ(Status(), "F9");
  // Slots show their label too.
  WriteSetting("ed", "100", "F4");
  Hover("MainWindow", "音效按钮100");
  EXPECT_EQ(Status(), "F4");
}

TEST_F(SoundButtonsTest, RightClicksChooseTheDialogTargets) {
  RightPress("MainWindow", "音效按钮7");
  EXPECT_EQ(Targets().soundName, "小孩笑声");
  EXPECT_EQ(Targets().buttonNumber, 7);
  EXPECT_TRUE(P().IsWindowLoaded("HotkeyDialog"));

  // Slot 100 keeps the sound name; slot 97 sets it to its own title.
  RightPress("MainWindow", "音效按钮100");
  EXPECT_EQ(Targets().soundName, "小孩笑声");
  EXPECT_EQ(Targets().buttonNumber, 100);
  EXPECT_TRUE(P().IsWindowLoaded("CustomSoundDialog"));

  P().SetText("MainWindow", "音效按钮97", Prop::Caption, "开场");
  RightPress("MainWindow", "音效按钮97");
  EXPECT_EQ(Targets().soundName, "开场");
  EXPECT_EQ(Targets().buttonNumber, 97);
  EXPECT_TRUE(Library().openedPaths.empty());  // a right click plays nothing
}

TEST_F(SoundButtonsTest, EveryTopMostButtonTogglesOneSharedState) {
  const std::int32_t before = P().GetInt("MainWindow", "MainWindow", Prop::TopMost);
  Click("MainWindow", "按钮125");
  EXPECT_NE(P().GetInt("MainWindow", "MainWindow", Prop::TopMost), before);
  Click("MainWindow", "按钮140");  // another page's button undoes it
  EXPECT_EQ(P().GetInt("MainWindow", "MainWindow", Prop::TopMost), before);
  Click("MainWindow", "按钮122");  // page 1's toggle has never done anything
  EXPECT_EQ(P().GetInt("MainWindow", "MainWindow", Prop::TopMost), before);
}

TEST_F(SoundButtonsTest, StopBeforeAnySoundDoesNothingThenStopsThePlayingSound) {
  Click("MainWindow", "按钮1");
  EXPECT_TRUE(Library().stoppedStreams.empty());
  EXPECT_EQ(Audio().playState, "");

  Click("MainWindow", "音效按钮1");
  Click("MainWindow", "按钮102");
  ASSERT_EQ(Library().stoppedStreams.size(), 1u);
  EXPECT_EQ(Library().stoppedStreams[0], Library().createdStreams.at(0));
  EXPECT_EQ(Audio().playState, kPlayStopped);
}

// The help page shipped with the program: at reporting a problem for the author chat link (the
// contact buttons and the top banner), at the part about the program for the author page (the
// bottom banner). In the build tree the page lies beside the program (bin/help/).
TEST_F(SoundButtonsTest, ContactButtonsAndBannersOpenTheHelpPageAtTheirParts) {
  Click("MainWindow", "按钮120");
  Click("MainWindow", "按钮138");
  QTest::mousePress(Widget("MainWindow", "图片框1"), Qt::LeftButton);
  QTest::mousePress(Widget("MainWindow", "图片框2"), Qt::LeftButton);
  const std::string help = SpecialFolders::ProgramFolder() + "help/";
  const std::vector<std::string> expected = {help + "contact.html", help + "contact.html",
                                             help + "contact.html", help + "about.html"};
  std::vector<std::string> opened;
  for (const std::string& address : PlatformSeam::Instance().OpenedAddresses()) {
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    EXPECT_TRUE(url.isLocalFile()) << address;
    opened.push_back(url.toLocalFile().toStdString());
  }
  EXPECT_EQ(opened, expected);
  // Each leads to its part of the page, which is there.
  const std::string page = ReadFile(help + "index.html");
  for (const std::string part : {"contact", "about"}) {
    EXPECT_NE(ReadFile(help + part + ".html").find("url=index.html#" + part + "\""),
              std::string::npos);
    EXPECT_NE(page.find("id=\"" + part + "\""), std::string::npos) << part;
  }
}

TEST_F(SoundButtonsTest, WhileAdvertisingIsOpenTheMainWindowTakesNoClicks) {
  bool sawAds = false;
  QTimer::singleShot(0, [&] {
    sawAds = P().IsWindowLoaded("AdsWindow");
    Click("MainWindow", "音效按钮2");
    Widget("AdsWindow", "AdsWindow")->close();
  });
  Click("MainWindow", "按钮121");  // returns once the modal window is closed
  EXPECT_TRUE(sawAds);
  EXPECT_FALSE(P().IsWindowLoaded("AdsWindow"));
  EXPECT_TRUE(Library().openedPaths.empty());
  // Page 4's "广告专区" is inert.
  Click("MainWindow", "按钮130");
  EXPECT_FALSE(P().IsWindowLoaded("AdsWindow"));
}

TEST_F(SoundButtonsTest, AMissingSoundFileIsReportedOnceAndTheBoardKeepsWorking) {
  std::filesystem::remove(MusicPath("尖叫声"));
  Click("MainWindow", "音效按钮5");
  ASSERT_EQ(PlatformSeam::Instance().Messages().size(), 1u);
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].text, "打开文件失败");
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].title, "错误");
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].style, 0x30);
  EXPECT_EQ(Audio().currentStream, 0u);
  Click("MainWindow", "按钮1");  // stop after a failed start reaches no stream
  EXPECT_TRUE(Library().stoppedStreams.empty());

  Click("MainWindow", "音效按钮1");
  EXPECT_EQ(PlatformSeam::Instance().Messages().size(), 1u);
  EXPECT_NE(Audio().currentStream, 0u);
}

}  // namespace
}  // namespace kalvor::test
