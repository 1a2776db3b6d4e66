#include "platform/hotkeys/global_hotkey_service.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/platform/hotkeys/feedback_recorder_platform.h"

namespace kalvor {
namespace {

using test::FeedbackRecorderPlatform;
using test::RaisedFeedback;

constexpr std::int32_t kF1 = 0x70;
constexpr std::int32_t kF5 = 0x74;

class FakeBackend : public HotkeyBackend {
 public:
  struct GrabRecord {
    std::uint32_t modifiers;
    std::int32_t keyCode;
  };
  std::set<std::int32_t> refusedKeys;
  std::map<std::int32_t, GrabRecord> grabs;

  bool Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) override {
    if (refusedKeys.contains(keyCode)) return false;
    grabs[id] = {modifiers, keyCode};
    return true;
  }
  bool Ungrab(std::int32_t id) override { return grabs.erase(id) == 1; }
  void ReleasedAll() override { ++releasedAll; }
  void Press(std::int32_t id) { ReportPress(id); }
  int releasedAll = 0;
};

class GlobalHotkeyServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { SetPlatform(&platform_); }
  void TearDown() override { SetPlatform(nullptr); }

  // A service whose backend is the fake below; made at the first registration.
  GlobalHotkeyService& Service() {
    if (!service_) {
      service_ = std::make_unique<GlobalHotkeyService>([this] {
        ++backendsMade_;
        auto backend = std::make_unique<FakeBackend>();
        backend->refusedKeys = refusedKeys_;
        backend_ = backend.get();
        return backend;
      });
    }
    return *service_;
  }

  FeedbackRecorderPlatform platform_;
  std::set<std::int32_t> refusedKeys_;
  std::unique_ptr<GlobalHotkeyService> service_;
  FakeBackend* backend_ = nullptr;
  int backendsMade_ = 0;
};

TEST_F(GlobalHotkeyServiceTest, IdsCountEveryAttemptAndAreNeverReused) {
  refusedKeys_ = {kF5};
  GlobalHotkeyService& service = Service();
  EXPECT_EQ(backendsMade_, 0);  // made only when first needed

  std::vector<std::int32_t> ids;
  for (int k = 0; k < 10; ++k) ids.push_back(service.Register(100, 200, 0, kF1 + k));
  EXPECT_EQ(ids, (std::vector<std::int32_t>{33001, 33002, 33003, 33004, 0, 33006, 33007, 33008,
                                            33009, 33010}));
  EXPECT_EQ(service.LastIssuedId(), 33010);
  EXPECT_EQ(service.ActiveCount(), 10);  // the refused key counts too
  EXPECT_EQ(service.WatchedHost(), 100);
  EXPECT_EQ(backend_->grabs.size(), 9u);

  for (std::int32_t id : ids) EXPECT_EQ(service.Unregister(100, id), id != 0);
  EXPECT_EQ(service.ActiveCount(), 0);
  EXPECT_EQ(service.WatchedHost(), 0);
  EXPECT_TRUE(backend_->grabs.empty());

  EXPECT_EQ(service.Register(100, 200, 0, kF1), 33011);
  EXPECT_EQ(service.Unregister(100, 33001), false);  // released long ago
  EXPECT_EQ(backendsMade_, 1);
}

TEST_F(GlobalHotkeyServiceTest, ModifiersAreTranslatedToAltCtrlShiftFlags) {
  struct Case {
    std::int32_t argument;
    std::uint32_t flags;
  };
  const Case cases[] = {{0, 0}, {1, 2}, {2, 4}, {3, 6}, {4, 1},
                        {5, 3}, {6, 5}, {7, 7}, {8, 8}, {12, 12}};
  for (const Case& c : cases) {
    const std::int32_t id = Service().Register(1, 2, c.argument, kF1);
    ASSERT_NE(id, 0);
    EXPECT_EQ(backend_->grabs.at(id).modifiers, c.flags) << "modifier argument " << c.argument;
    EXPECT_EQ(backend_->grabs.at(id).keyCode, kF1);
  }
}

TEST_F(GlobalHotkeyServiceTest, PressGoesToTheLatestReceiverWithIdAndZero) {
  GlobalHotkeyService& service = Service();
  const std::int32_t first = service.Register(100, 201, 0, kF1);
  const std::int32_t second = service.Register(100, 202, 0, kF1 + 1);
  backend_->Press(first);
  backend_->Press(second);
  EXPECT_EQ(platform_.raised, (std::vector<RaisedFeedback>{{202, first, 0}, {202, second, 0}}));
}

TEST_F(GlobalHotkeyServiceTest, PressesOfIdsNotGrantedAreNotDelivered) {
  refusedKeys_ = {kF5};
  GlobalHotkeyService& service = Service();
  service.Register(100, 200, 0, kF1);
  const std::int32_t refused = service.Register(100, 200, 0, kF5);
  ASSERT_EQ(refused, 0);
  for (std::int32_t id : {0, 33000, 33002, 33003, 40000}) backend_->Press(id);
  EXPECT_TRUE(platform_.raised.empty());
}

TEST_F(GlobalHotkeyServiceTest, OnlyTheWatchedHostIsHeardAndWatchingEndsAtCountZero) {
  GlobalHotkeyService& service = Service();
  const std::int32_t onFirstHost = service.Register(100, 200, 0, kF1);
  const std::int32_t onOtherHost = service.Register(101, 200, 0, kF1 + 1);
  EXPECT_EQ(service.WatchedHost(), 100);
  backend_->Press(onOtherHost);
  EXPECT_TRUE(platform_.raised.empty());

  service.Unregister(100, onFirstHost);
  EXPECT_EQ(service.WatchedHost(), 100);  // one registration still active
  service.Unregister(101, onOtherHost);
  EXPECT_EQ(service.WatchedHost(), 0);

  const std::int32_t again = service.Register(101, 200, 0, kF1);
  EXPECT_EQ(service.WatchedHost(), 101);
  backend_->Press(again);
  EXPECT_EQ(platform_.raised, (std::vector<RaisedFeedback>{{200, again, 0}}));
}

// A key handed in from the command line goes the way of the real key, under the id it is held by.
TEST_F(GlobalHotkeyServiceTest, AKeyPressedByCodeIsDeliveredUnderTheIdHoldingIt) {
  refusedKeys_ = {kF5};
  GlobalHotkeyService& service = Service();
  const std::int32_t f1 = service.Register(100, 200, 0, kF1);
  const std::int32_t ctrlF2 = service.Register(100, 200, 1, kF1 + 1);
  service.Register(100, 200, 0, kF5);
  EXPECT_TRUE(service.PressKey(kF1));
  EXPECT_FALSE(service.PressKey(kF1 + 1));  // held with Ctrl only
  EXPECT_FALSE(service.PressKey(kF5));      // refused
  EXPECT_FALSE(service.PressKey(kF1 + 2));  // never registered
  EXPECT_EQ(platform_.raised, (std::vector<RaisedFeedback>{{200, f1, 0}}));

  service.Unregister(100, f1);
  EXPECT_FALSE(service.PressKey(kF1));
  EXPECT_EQ(backend_->releasedAll, 0);
  service.Unregister(100, ctrlF2);
  service.Unregister(100, 0);  // the refused key: only now is every registration undone
  EXPECT_EQ(backend_->releasedAll, 1);
}

TEST_F(GlobalHotkeyServiceTest, WithoutBackendEveryKeyIsRefusedButIdsAdvance) {
  GlobalHotkeyService service([] { return std::unique_ptr<HotkeyBackend>(); });
  EXPECT_EQ(service.Register(1, 2, 0, kF1), 0);
  EXPECT_EQ(service.Register(1, 2, 0, kF1 + 1), 0);
  EXPECT_EQ(service.LastIssuedId(), 33002);
  EXPECT_FALSE(service.Unregister(1, 0));
  EXPECT_EQ(service.ActiveCount(), 1);
}

}  // namespace
}  // namespace kalvor
