// Real key events on a private X server: Xvfb, xdotool, and the service over the X11 backend,
// with Qt itself running offscreen.
#include "platform/hotkeys/xcb_hotkey_backend.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "platform/hotkeys/global_hotkey_service.h"
#include "tests/platform/hotkeys/feedback_recorder_platform.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor {
namespace {

using test::FeedbackRecorderPlatform;
using test::ProcessEventsUntil;
using test::RaisedFeedback;
using test::XServer;

constexpr std::int32_t kHost = 7;
constexpr std::int32_t kReceiver = 8;
constexpr std::int32_t kF1 = 0x70;

// Another X client, holding keys of its own.
class OtherClient {
 public:
  explicit OtherClient(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    symbols_ = xcb_key_symbols_alloc(connection_);
  }
  ~OtherClient() {
    xcb_key_symbols_free(symbols_);
    xcb_disconnect(connection_);
  }
  // True when the server let this client grab the function key without modifiers.
  bool GrabFunctionKey(int n) {
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, 0xffbe + (n - 1));
    const xcb_keycode_t code = codes != nullptr ? codes[0] : 0;
    std::free(codes);
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_grab_key_checked(connection_, 1, root_, 0, code, XCB_GRAB_MODE_ASYNC,
                                          XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
  }

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_key_symbols_t* symbols_ = nullptr;
};

class XcbHotkeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "hotkey_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) app_ = new QCoreApplication(argc, argv);
  }

  void SetUp() override {
    KALVOR_NEED_X_SERVER();
    server_ = XServer::Shared();
    SetPlatform(&platform_);
    service_ = std::make_unique<GlobalHotkeyService>(
        [] { return std::make_unique<XcbHotkeyBackend>(server_->Display()); });
  }
  void TearDown() override {
    service_.reset();
    SetPlatform(nullptr);
  }

  // F1..F10 in order, as the host window registers them.
  std::vector<std::int32_t> RegisterFunctionKeys() {
    std::vector<std::int32_t> ids;
    for (int k = 0; k < 10; ++k) ids.push_back(service_->Register(kHost, kReceiver, 0, kF1 + k));
    return ids;
  }
  void UnregisterAll(const std::vector<std::int32_t>& ids) {
    for (std::int32_t id : ids) service_->Unregister(kHost, id);
  }

  void Keys(const std::string& arguments) { ASSERT_TRUE(server_->Xdotool(arguments)); }

  std::vector<std::int32_t> DeliveredIds() const {
    std::vector<std::int32_t> ids;
    for (const RaisedFeedback& f : platform_.raised) ids.push_back(f.first);
    return ids;
  }
  // Presses the sentinel key and waits for it: everything the server sent before has been seen.
  void SyncWith(std::int32_t sentinelId, const std::string& sentinelKey) {
    Keys("key " + sentinelKey);
    ASSERT_TRUE(ProcessEventsUntil([&] {
      return !platform_.raised.empty() && platform_.raised.back().first == sentinelId;
    })) << "the sentinel "
        << sentinelKey << " never arrived";
    platform_.raised.pop_back();
  }

  static inline QCoreApplication* app_ = nullptr;
  static inline XServer* server_ = nullptr;
  FeedbackRecorderPlatform platform_;
  std::unique_ptr<GlobalHotkeyService> service_;
};

TEST_F(XcbHotkeysTest, F3ReachesTheReceiverButCtrlF3DoesNot) {
  const std::vector<std::int32_t> ids = RegisterFunctionKeys();
  ASSERT_EQ(ids.front(), 33001);
  ASSERT_EQ(ids.back(), 33010);

  Keys("key F3");
  ASSERT_TRUE(ProcessEventsUntil([&] { return !platform_.raised.empty(); }));
  EXPECT_EQ(platform_.raised, (std::vector<RaisedFeedback>{{kReceiver, 33003, 0}}));

  platform_.raised.clear();
  Keys("key ctrl+F3 shift+F3");
  SyncWith(33004, "F4");
  EXPECT_TRUE(platform_.raised.empty());
  UnregisterAll(ids);
}

TEST_F(XcbHotkeysTest, KeysWorkWithNumLockAndCapsLockOn) {
  const std::vector<std::int32_t> ids = RegisterFunctionKeys();
  Keys("key Num_Lock");
  Keys("key F3");
  const bool withNumLock = ProcessEventsUntil([&] { return DeliveredIds() == std::vector{33003}; });
  Keys("key Caps_Lock");
  Keys("key F7");
  const bool withBoth = ProcessEventsUntil([&] {
    return DeliveredIds() == std::vector{33003, 33007};
  });
  Keys("key Num_Lock Caps_Lock");  // back to how the server started
  EXPECT_TRUE(withNumLock);
  EXPECT_TRUE(withBoth);
  UnregisterAll(ids);
}

TEST_F(XcbHotkeysTest, KeyHeldByAnotherClientGetsIdZeroAndTheOthersWork) {
  OtherClient other(server_->Display());
  ASSERT_TRUE(other.GrabFunctionKey(5));
  const std::vector<std::int32_t> ids = RegisterFunctionKeys();
  EXPECT_EQ(ids, (std::vector<std::int32_t>{33001, 33002, 33003, 33004, 0, 33006, 33007, 33008,
                                            33009, 33010}));

  Keys("key F1 F2 F3 F4 F5 F6 F7 F8 F9 F10");
  EXPECT_TRUE(ProcessEventsUntil([&] { return platform_.raised.size() >= 9; }));
  SyncWith(33001, "F1");
  EXPECT_EQ(DeliveredIds(), (std::vector<std::int32_t>{33001, 33002, 33003, 33004, 33006, 33007,
                                                       33008, 33009, 33010}));
  UnregisterAll(ids);
}

TEST_F(XcbHotkeysTest, RegisteringAgainGivesFreshIdsThatWork) {
  UnregisterAll(RegisterFunctionKeys());
  const std::vector<std::int32_t> ids = RegisterFunctionKeys();
  EXPECT_EQ(ids.front(), 33011);
  EXPECT_EQ(ids.back(), 33020);
  Keys("key F1 F10");
  EXPECT_TRUE(ProcessEventsUntil([&] { return DeliveredIds() == std::vector{33011, 33020}; }));
  UnregisterAll(ids);
}

TEST_F(XcbHotkeysTest, HeldKeyFiresOnceAndAgainAfterRelease) {
  const std::vector<std::int32_t> ids = RegisterFunctionKeys();
  Keys("keydown F3");
  Keys("sleep 1.5");  // well past the auto-repeat delay
  Keys("keyup F3");
  SyncWith(33004, "F4");
  EXPECT_EQ(DeliveredIds(), std::vector{33003});

  Keys("key F3");
  EXPECT_TRUE(ProcessEventsUntil([&] { return DeliveredIds() == std::vector{33003, 33003}; }));
  UnregisterAll(ids);
}

TEST_F(XcbHotkeysTest, UnregisteredKeysAreFreeForOtherClients) {
  std::vector<std::int32_t> ids = RegisterFunctionKeys();
  ids.push_back(service_->Register(kHost, kReceiver, 0, kF1 + 2));  // F3 a second time
  EXPECT_EQ(ids.back(), 0);
  {
    OtherClient other(server_->Display());
    EXPECT_FALSE(other.GrabFunctionKey(3));
  }
  UnregisterAll(ids);
  EXPECT_EQ(service_->ActiveCount(), 0);
  OtherClient other(server_->Display());
  EXPECT_TRUE(other.GrabFunctionKey(3));
}

TEST(XcbHotkeysWithoutDisplay, EveryRegistrationIsRefused) {
  FeedbackRecorderPlatform platform;
  SetPlatform(&platform);
  const char* saved = std::getenv("DISPLAY");
  const std::optional<std::string> display =
      saved ? std::optional<std::string>(saved) : std::nullopt;
  ::unsetenv("DISPLAY");
  GlobalHotkeyService service([] { return std::make_unique<XcbHotkeyBackend>(); });
  for (int k = 0; k < 10; ++k) EXPECT_EQ(service.Register(kHost, kReceiver, 0, kF1 + k), 0);
  for (int k = 0; k < 10; ++k) EXPECT_FALSE(service.Unregister(kHost, 0));
  EXPECT_EQ(service.ActiveCount(), 0);
  if (display) ::setenv("DISPLAY", display->c_str(), 1);

  // A display that does not answer behaves the same.
  XcbHotkeyBackend unreachable(":0.99999");
  EXPECT_FALSE(unreachable.Connected());
  EXPECT_FALSE(unreachable.Grab(33001, 0, kF1));
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace kalvor
