// The hotkey switch and the invisible host window on the real Qt platform, with real key presses
// on a private X server reaching the sound bound in the settings file.
#include "board/hotkey_host.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractButton>
#include <algorithm>
#include <cstdlib>

#include "board/settings_file.h"
#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/platform_services.h"
#include "tests/board/desktop_test_support.h"
#include "tests/board/fake_audio_front_end.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor {
namespace {

using test::PlayedSoundNames;
using test::ProcessEventsUntil;

constexpr std::string_view kHost = "HotkeyHostWindow";

class HotkeyHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KALVOR_NEED_X_SERVER();
    SettingsFile::Remove();
    PlayedSoundNames().clear();
    if (!Platform().IsWindowLoaded("MainWindow")) Platform().LoadWindow("MainWindow");
  }
  void TearDown() override {
    if (HotkeyHost().loaded == 1) {
      HotkeyStopStep();
      ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kHost); });
    }
    if (Platform().IsWindowLoaded("MainWindow")) {
      Platform().SetInt("MainWindow", "选择框1", Prop::Checked, 0);
    }
  }

  // The user clicks the switch 热键开关.
  static void ClickSwitch() {
    auto* box = qobject_cast<QAbstractButton*>(test::Widget("MainWindow", "选择框1"));
    ASSERT_NE(box, nullptr);
    box->click();
  }
  static void Keys(const std::string& arguments) {
    ASSERT_TRUE(test::XServer::Shared()->Xdotool(arguments));
  }
  static std::vector<std::int32_t> Ids() {
    return {HotkeyHost().ids.begin(), HotkeyHost().ids.end()};
  }
  static std::vector<std::int32_t> IdsFrom(std::int32_t first) {
    std::vector<std::int32_t> ids;
    for (int k = 0; k < 10; ++k) ids.push_back(first + k);
    return ids;
  }
};

TEST_F(HotkeyHostTest, StartStepLoadsTheHostOnlyForSwitchOne) {
  HotkeyStartStep(2);
  EXPECT_FALSE(Platform().IsWindowLoaded(kHost));
  EXPECT_EQ(Platform().GetInt("MainWindow", "选择框1", Prop::Checked), 0);

  const std::int32_t next =
      std::max(HotkeyService().LastIssuedId(), GlobalHotkeyService::kIdBase) + 1;
  HotkeyStartStep(1);
  EXPECT_TRUE(Platform().IsWindowLoaded(kHost));
  EXPECT_EQ(HotkeyHost().loaded, 1);
  EXPECT_EQ(Platform().GetInt("MainWindow", "选择框1", Prop::Checked), 1);
  EXPECT_EQ(Ids(), IdsFrom(next));  // 33001.. in a fresh process

  HotkeyStopStep();
  EXPECT_TRUE(ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kHost); }));
  EXPECT_EQ(HotkeyHost().loaded, 0);
  EXPECT_EQ(HotkeyService().ActiveCount(), 0);
}

TEST_F(HotkeyHostTest, FunctionKeyPlaysTheSoundBoundAtThatMoment) {
  HotkeyStartStep(1);
  SettingsFile::Write("dat", "F3", "欢呼掌声");
  SettingsFile::Write("dat", "F4", "空");
  Keys("key F3");
  ASSERT_TRUE(ProcessEventsUntil([] { return !PlayedSoundNames().empty(); }));
  EXPECT_EQ(PlayedSoundNames(), std::vector<std::string>{"欢呼掌声"});

  // Withdrawn, missing and modified keys play nothing; F2 last shows they were all handled.
  SettingsFile::Write("dat", "F2", "尖叫声");
  Keys("key F4 F5 ctrl+F3 F2");
  ASSERT_TRUE(ProcessEventsUntil([] { return PlayedSoundNames().size() >= 2; }));
  EXPECT_EQ(PlayedSoundNames(), (std::vector<std::string>{"欢呼掌声", "尖叫声"}));
}

TEST_F(HotkeyHostTest, SwitchOffAndOnRegistersFreshIdsThatWork) {
  HotkeyStartStep(1);
  const std::int32_t first = HotkeyHost().ids[0];

  ClickSwitch();  // off
  EXPECT_EQ(SettingsFile::Read("data", "kjj"), "2");
  ASSERT_TRUE(ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kHost); }));
  EXPECT_EQ(HotkeyHost().loaded, 0);
  EXPECT_EQ(HotkeyService().ActiveCount(), 0);

  ClickSwitch();  // on again
  EXPECT_EQ(SettingsFile::Read("data", "kjj"), "1");
  EXPECT_TRUE(Platform().IsWindowLoaded(kHost));
  EXPECT_EQ(Ids(), IdsFrom(first + 10));  // 33011..33020 in a process whose first phase had 33001

  SettingsFile::Write("dat", "F10", "欢呼掌声");
  Keys("key F10");
  EXPECT_TRUE(ProcessEventsUntil(
      [] { return PlayedSoundNames() == std::vector<std::string>{"欢呼掌声"}; }));
}

TEST_F(HotkeyHostTest, SwitchOffWithoutHostOnlyStoresTheSwitch) {
  Platform().SetInt("MainWindow", "选择框1", Prop::Checked, 1);
  ClickSwitch();  // clears the box while no host is loaded
  EXPECT_EQ(SettingsFile::Read("data", "kjj"), "2");
  EXPECT_FALSE(Platform().IsWindowLoaded(kHost));
}

TEST_F(HotkeyHostTest, ClosingTheHostFreesTheKeysForOtherClients) {
  HotkeyStartStep(1);
  HotkeyStopStep();
  ASSERT_TRUE(ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kHost); }));

  xcb_connection_t* other = xcb_connect(test::XServer::Shared()->Display().c_str(), nullptr);
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 0xffc0);  // F3
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  xcb_generic_error_t* error = xcb_request_check(
      other,
      xcb_grab_key_checked(other, 1, root, 0, codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  EXPECT_EQ(error, nullptr);
  std::free(error);
  std::free(codes);
  xcb_key_symbols_free(symbols);
  xcb_disconnect(other);
}

}  // namespace
}  // namespace kalvor
