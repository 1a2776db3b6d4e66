// F1..F10 in a Wayland session through the global-shortcuts portal: the whole board (offscreen)
// against a portal of our own on a private session bus. The tests look at what that portal was
// asked (ids, triggers, descriptions, session handles) and at what the board played, not at how
// the client is built.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "board/hotkey_host.h"
#include "platform/core/platform_seam.h"
#include "platform/hotkeys/desktop_hotkey_backend.h"
#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/hotkeys/portal_hotkey_backend.h"
#include "tests/board/board_fixture.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/session_bus.h"

namespace kalvor::test {
namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
constexpr std::int32_t kF1 = 0x70;
constexpr std::int32_t kF3 = 0x72;

std::unique_ptr<SessionBus> g_bus;
std::string g_noBus;

std::string Capture() {
  static const std::string path = CaptureFile("portal");
  return path;
}

bool PortalOnBus() {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal).value();
}

class PortalHotkeyTest : public BoardTest {
 protected:
  void SetUp() override {
    if (!g_bus) GTEST_SKIP() << g_noBus;
    BoardTest::SetUp();
  }
  void TearDown() override {
    if (!g_bus) return;
    BoardTest::TearDown();  // first, so the board can still close its session
    StopPortal();
  }

  // Starts our portal, answering as the options say (see fake_portal_main.cpp).
  void StartPortal(QStringList options = {}) {
    StopPortal();
    log_ = QString::fromStdString((home_ / "portal.log").string());
    QFile::remove(log_);
    portal_ = std::make_unique<QProcess>();
    portal_->setProcessChannelMode(QProcess::ForwardedChannels);
    portal_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    portal_->start(KALVOR_FAKE_PORTAL, QStringList{"--log", log_} + options);
    ASSERT_TRUE(ProcessEventsUntil(PortalOnBus)) << "the test portal did not come up";
  }
  void StopPortal() {
    if (!portal_) return;
    portal_->kill();
    portal_->waitForFinished();
    portal_.reset();
    ProcessEventsUntil([] { return !PortalOnBus(); });
  }

  // What the portal was asked, in order; each call is its fields.
  std::vector<QStringList> Calls() const {
    QFile file(log_);
    std::vector<QStringList> calls;
    if (!file.open(QIODevice::ReadOnly)) return calls;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (!line.isEmpty()) calls.push_back(QString::fromUtf8(line).split('\t'));
    }
    return calls;
  }
  std::vector<QString> CallNames() const {
    std::vector<QString> names;
    for (const QStringList& call : Calls()) names.push_back(call[0]);
    return names;
  }
  QString Session() const {
    QString session;
    for (const QStringList& call : Calls()) {
      if (call[0] == "CreateSession") session = call[1];
    }
    return session;
  }

  // Has our portal act as the desktop (Activate: a shortcut was pressed; CloseSession: the desktop
  // ends the session). The board has handled the signal when this returns: the portal sends it
  // before its reply.
  void Drive(const QString& member, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, "/org/freedesktop/portal/desktop",
                                                       "io.kalvor.test.FakePortal", member);
    call.setArguments(arguments);
    ASSERT_EQ(QDBusConnection::sessionBus().call(call).type(), QDBusMessage::ReplyMessage);
    Settle();
  }
  void Activate(const QString& shortcut) { Drive("Activate", {shortcut}); }

  // The user clicks 热键开关; returns once the hotkeys are on or off.
  void ClickSwitch(bool on) {
    Click("MainWindow", "选择框1");
    EXPECT_TRUE(ProcessEventsUntil([this, on] {
      return P().IsWindowLoaded("HotkeyHostWindow") == on && (HotkeyHost().loaded == 1) == on;
    }));
  }

  std::vector<std::string> Played() {
    std::vector<std::string> names;
    for (const std::string& path : Library().openedPaths) {
      names.push_back(path.substr((DataDir() + "music/").size()));
    }
    return names;
  }

  std::vector<std::int32_t> Ids() const {
    return {HotkeyHost().ids.begin(), HotkeyHost().ids.end()};
  }

  std::unique_ptr<QProcess> portal_;
  QString log_;
};

QStringList AllTenBound(const QString& session) {
  QStringList bind{"BindShortcuts", session};
  for (int k = 1; k <= 10; ++k) bind << QStringLiteral(u"F%1|F%1|播放 F%1 绑定的音效").arg(k);
  return bind;
}

TEST_F(PortalHotkeyTest, RegistersThenBindsAllTenKeysInOneSessionAndEveryGrantedKeyGetsAnId) {
  StartPortal();
  StartBoard();
  const std::vector<QStringList> calls = Calls();
  ASSERT_EQ(calls.size(), 3u) << "one registration, one session, one binding";
  EXPECT_EQ(calls[0], (QStringList{"Register", "io.kalvor.Kalvor"}));
  EXPECT_EQ(calls[1][0], "CreateSession");
  EXPECT_TRUE(calls[1][1].startsWith("/org/freedesktop/portal/desktop/session/"));
  EXPECT_EQ(calls[2], AllTenBound(calls[1][1]));
  for (int k = 0; k < 10; ++k) EXPECT_EQ(Ids()[k], Ids()[0] + k) << "F" << k + 1;
  EXPECT_GT(Ids()[0], GlobalHotkeyService::kIdBase);
}

TEST_F(PortalHotkeyTest, ActivatedPlaysTheBoundSoundOnTheDeviceAndClosingTheBoardEndsTheSession) {
  WriteSetting("dat", "F3", "欢呼掌声");
  StartPortal();
  StartBoard();
  Activate("F3");
  EXPECT_EQ(Played(), std::vector<std::string>{"欢呼掌声.mp3"});
  EXPECT_TRUE(ProcessEventsUntil([] { return LoudestSample(Capture()) > 0.05f; })) << "no sound";
  const QString session = Session();
  CloseBoard();
  EXPECT_EQ(Calls().back(), (QStringList{"SessionClose", session}));
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  std::filesystem::remove(Capture());
}

TEST_F(PortalHotkeyTest, KeysTheDesktopDoesNotGrantGetZeroAndStaySilent) {
  // Also a portal from before handle tokens: its request objects are where it says, not where
  // they are expected.
  StartPortal({"--grant", "F1,F3,F10", "--old-handles"});
  WriteSetting("dat", "F2", "群众笑声");
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoard();
  const std::vector<std::int32_t> ids = Ids();
  for (int k : {0, 2, 9}) EXPECT_NE(ids[k], 0) << "F" << k + 1;
  for (int k : {1, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(ids[k], 0) << "F" << k + 1;
  Activate("F2");
  Activate("F3");
  EXPECT_EQ(Played(), std::vector<std::string>{"欢呼掌声.mp3"});
}

TEST_F(PortalHotkeyTest, ARefusedBindingLeavesEveryKeyAtZeroAndClosesTheSession) {
  StartPortal({"--refuse"});
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoard();
  EXPECT_EQ(Ids(), std::vector<std::int32_t>(10, 0));
  EXPECT_EQ(Calls().back(), (QStringList{"SessionClose", Session()}));
  Activate("F3");
  EXPECT_TRUE(Played().empty());
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

TEST_F(PortalHotkeyTest, WithoutTheRegistryTheKeysAreBoundAllTheSame) {
  StartPortal({"--no-registry"});
  StartBoard();
  EXPECT_EQ(CallNames(), (std::vector<QString>{"CreateSession", "BindShortcuts"}));
  EXPECT_EQ(Calls().back(), AllTenBound(Session()));
  const std::vector<std::int32_t> ids = Ids();
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 0), 0);
}

TEST_F(PortalHotkeyTest, SwitchingOffClosesTheSessionAndSwitchingOnOpensANewOne) {
  WriteSetting("dat", "F3", "欢呼掌声");
  StartPortal();
  StartBoard();
  const QString first = Session();
  ClickSwitch(false);
  EXPECT_EQ(Calls().back(), (QStringList{"SessionClose", first}));
  Activate("F3");  // a desktop that still reports the old session is not heard
  EXPECT_TRUE(Played().empty());

  ClickSwitch(true);
  const QString second = Session();
  EXPECT_NE(second, first);
  EXPECT_EQ(CallNames(), (std::vector<QString>{"Register", "CreateSession", "BindShortcuts",
                                               "SessionClose", "CreateSession", "BindShortcuts"}));
  EXPECT_EQ(Calls().back(), AllTenBound(second));
  Activate("F3");
  EXPECT_EQ(Played(), std::vector<std::string>{"欢呼掌声.mp3"});
}

TEST_F(PortalHotkeyTest,
       KeysStopQuietlyWhenThePortalVanishesOrEndsTheSessionAndComeBackOnSwitchOn) {
  WriteSetting("dat", "F3", "欢呼掌声");
  StartPortal();
  StartBoard();
  // The desktop ends the session: the keys stop.
  Drive("CloseSession");
  Activate("F3");
  EXPECT_TRUE(Played().empty());

  // The portal goes away mid-session and a new one starts: nothing is reported, the keys stay
  // off, and the next switch-on registers with the new portal and binds again.
  StopPortal();
  Settle();
  StartPortal();
  Activate("F3");
  ClickSwitch(false);  // nothing left to close
  EXPECT_TRUE(Calls().empty());
  ClickSwitch(true);
  EXPECT_EQ(CallNames(), (std::vector<QString>{"Register", "CreateSession", "BindShortcuts"}));
  Activate("F3");
  EXPECT_EQ(Played(), std::vector<std::string>{"欢呼掌声.mp3"});
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

// A desktop that never answers: the switch-on gives up after the answer time, refuses the keys,
// withdraws its question and closes the session; the other keys of that switch-on do not ask again.
TEST_F(PortalHotkeyTest, ADesktopThatNeverAnswersCostsOneAnswerTimeAndNoKeys) {
  StartPortal({"--silent"});
  auto backend =
      PortalHotkeyBackend::Connect(QDBusConnection::sessionBus(), std::chrono::milliseconds(300));
  ASSERT_NE(backend, nullptr);
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(backend->Grab(33001, 0, kF1));
  EXPECT_FALSE(backend->Grab(33002, 0, kF1 + 1));
  EXPECT_LT(clock.elapsed(), 3000);
  ProcessEventsUntil([this] { return Calls().size() >= 5; });
  const std::vector<QStringList> calls = Calls();
  ASSERT_EQ(CallNames(), (std::vector<QString>{"Register", "CreateSession", "BindShortcuts",
                                               "RequestClose", "SessionClose"}));
  EXPECT_TRUE(calls[3][1].startsWith("/org/freedesktop/portal/desktop/request/"));
  EXPECT_EQ(calls[4][1], calls[1][1]);
}

// Which backend a desktop gets: the portal only in a Wayland session; without it and without an
// X display, keys that only the command line presses.
TEST_F(PortalHotkeyTest, ThePortalIsUsedOnlyInAWaylandSession) {
  StartPortal();
  struct RestoreSession {
    ~RestoreSession() {
      ::setenv("WAYLAND_DISPLAY", "kalvor-test-wayland", 1);
      ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    }
  } restore;
  ::unsetenv("WAYLAND_DISPLAY");
  ::setenv("XDG_SESSION_TYPE", "x11", 1);
  GlobalHotkeyService x11Session(&MakeDesktopHotkeyBackend);
  const std::int32_t id = x11Session.Register(1, 2, 0, kF3);
  EXPECT_NE(id, 0) << "no X display: the command line's keys are all granted";
  EXPECT_TRUE(Calls().empty());
  x11Session.Unregister(1, id);

  ::setenv("XDG_SESSION_TYPE", "wayland", 1);
  GlobalHotkeyService waylandSession(&MakeDesktopHotkeyBackend);
  EXPECT_NE(waylandSession.Register(1, 2, 0, kF3), 0);
  EXPECT_EQ(CallNames(), (std::vector<QString>{"Register", "CreateSession", "BindShortcuts"}));
}

}  // namespace
}  // namespace kalvor::test

namespace kalvor::test {
namespace {

// The private bus, started once the application exists and before the first test.
class PrivateSessionBus : public ::testing::Environment {
 public:
  void SetUp() override {
    g_bus = std::make_unique<SessionBus>();
    if (!g_bus->Start()) {
      g_noBus = "no private session bus: " + g_bus->Error();
      g_bus.reset();
      return;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", g_bus->Address().c_str(), 1);
  }
  void TearDown() override { g_bus.reset(); }
};

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  // A Wayland session without X: the board must take the portal.
  ::setenv("WAYLAND_DISPLAY", "kalvor-test-wayland", 1);
  ::setenv("XDG_SESSION_TYPE", "wayland", 1);
  ::unsetenv("DISPLAY");
  ::testing::AddGlobalTestEnvironment(new kalvor::test::PrivateSessionBus);
  return kalvor::test::RunBoardTests(argc, argv, kalvor::test::Capture());
}
