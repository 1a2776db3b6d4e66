#include "tests/board/board_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "audio/audio_front_end.h"
#include "board/board_setup.h"
#include "board/hotkey_dialog.h"
#include "board/hotkey_host.h"
#include "board/hotkey_targets.h"
#include "board/main_window_handlers.h"
#include "board/settings_file.h"
#include "platform/core/platform_seam.h"
#include "resources/deployment.h"
#include "tests/support/files.h"

namespace kalvor::test {

namespace {

int g_argc = 1;
char g_arg0[] = "board_tests";
char* g_argv[] = {g_arg0, nullptr};

// The real functions, bound once by the platform underneath.
std::map<std::string, void*, std::less<>>& RealFunctions() {
  static std::map<std::string, void*, std::less<>> functions;
  return functions;
}

template <typename Signature>
Signature* Real(const char* name) {
  return reinterpret_cast<Signature*>(RealFunctions().at(name));
}

std::uint32_t RecordCreate(int mem, const void* file, std::uint64_t offset, std::uint64_t length,
                           std::uint32_t flags) {
  Library().openedPaths.emplace_back(static_cast<const char*>(file));
  const std::uint32_t handle =
      Real<std::uint32_t(int, const void*, std::uint64_t, std::uint64_t, std::uint32_t)>(
          "BASS_StreamCreateFile")(mem, file, offset, length, flags);
  Library().createdStreams.push_back(handle);
  return handle;
}
int RecordFree(std::uint32_t handle) {
  Library().freedStreams.push_back(handle);
  return Real<int(std::uint32_t)>("BASS_StreamFree")(handle);
}
int RecordStop(std::uint32_t handle) {
  Library().stoppedStreams.push_back(handle);
  return Real<int(std::uint32_t)>("BASS_ChannelStop")(handle);
}
int RecordAttribute(std::uint32_t handle, std::uint32_t attrib, float value) {
  Library().volumes.emplace_back(handle, value);
  return Real<int(std::uint32_t, std::uint32_t, float)>("BASS_ChannelSetAttribute")(handle, attrib,
                                                                                    value);
}
int RecordInit(int device, std::uint32_t freq, std::uint32_t flags, void* win, const void* cls) {
  Library().initDevices.push_back(device);
  return Real<int(int, std::uint32_t, std::uint32_t, void*, const void*)>("BASS_Init")(
      device, freq, flags, win, cls);
}
int RecordLibraryFree() {
  ++Library().frees;
  return Real<int()>("BASS_Free")();
}

void* Recorder(std::string_view function) {
  if (function == "BASS_StreamCreateFile") return reinterpret_cast<void*>(&RecordCreate);
  if (function == "BASS_StreamFree") return reinterpret_cast<void*>(&RecordFree);
  if (function == "BASS_ChannelStop") return reinterpret_cast<void*>(&RecordStop);
  if (function == "BASS_ChannelSetAttribute") return reinterpret_cast<void*>(&RecordAttribute);
  if (function == "BASS_Init") return reinterpret_cast<void*>(&RecordInit);
  if (function == "BASS_Free") return reinterpret_cast<void*>(&RecordLibraryFree);
  return nullptr;
}

void ResetGlobals() {
  Audio() = AudioState();
  Targets() = HotkeyTargets();
  HotkeyHost() = HotkeyHostState();
  PreviousHotkeyLabel().clear();
  MainWindowHandlers::State() = MainWindowState();
}

}  // namespace

LibraryLog& Library() {
  static LibraryLog log;
  return log;
}

void* RecordingPlatform::BindExternal(std::string_view library, std::string_view function) {
  void* real = QtPlatform::BindExternal(library, function);
  if (void* recorder = Recorder(function)) {
    RealFunctions()[std::string(function)] = real;
    return recorder;
  }
  return real;
}

void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

std::vector<std::string> MessageTexts() {
  std::vector<std::string> texts;
  for (const ShownMessage& m : PlatformSeam::Instance().Messages()) texts.push_back(m.text);
  return texts;
}

int RunBoardTests(int argc, char** argv, const std::string& captureFile) {
  if (!captureFile.empty()) {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", captureFile.c_str(), 1);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests start the program afresh rather than forking a process that runs Qt.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}

std::string CaptureFile(std::string_view tag) {
  return (std::filesystem::temp_directory_path() /
          ("kalvor-" + std::string(tag) + "-" + std::to_string(::getpid())))
      .string();
}

float LoudestSample(const std::string& captureFile, double lastSeconds) {
  std::string bytes = ReadFile(captureFile);
  const std::size_t frame = 2 * sizeof(float);
  const std::size_t frames = bytes.size() / frame;
  const std::size_t kept =
      lastSeconds > 0 ? std::min(frames, static_cast<std::size_t>(lastSeconds * 44100)) : frames;
  bytes.erase(0, (frames - kept) * frame);
  float loudest = 0;
  for (std::size_t i = 0; i + sizeof(float) <= bytes.size(); i += sizeof(float)) {
    float sample;
    std::memcpy(&sample, bytes.data() + i, sizeof sample);
    if (std::isfinite(sample)) loudest = std::max(loudest, std::fabs(sample));
  }
  return loudest;
}

void BoardTest::SetUp() {
  home_ = std::filesystem::temp_directory_path() /
          ("kalvor-board-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(home_);
  std::filesystem::create_directories(home_ / ".local/share/kalvor");
  std::filesystem::create_directories(home_ / ".local/lib/kalvor");
  ::setenv("HOME", home_.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home_ / ".local/share").c_str(), 1);
  ResetGlobals();
  Library().Clear();
  platform_ = std::make_unique<RecordingPlatform>(g_argc, g_argv);
  PlatformSeam::Instance().Arm();
  PlatformSeam::Instance().Reset();
  BoardSetup::Prepare(*platform_);
  CreatePlayer();
}

void BoardTest::TearDown() {
  if (platform_->IsWindowLoaded("MainWindow")) CloseBoard();
  for (const char* window :
       {"HotkeyDialog", "CustomSoundDialog", "AdsWindow", "HotkeyHostWindow"}) {
    if (platform_->IsWindowLoaded(window)) platform_->UnloadWindow(window);
  }
  Settle();
  DestroyPlayer();
  platform_.reset();
  Settle();
  PlatformSeam::Instance().Reset();
  PlatformSeam::Instance().Disarm();
  std::filesystem::remove_all(home_);
}

std::string BoardTest::DataDir() const {
  return (home_ / ".local/share/kalvor").string() + "/";
}

void BoardTest::WriteSetting(std::string_view section, std::string_view key,
                             std::string_view value) {
  SettingsFile::Write(section, key, value);
}

std::string BoardTest::ReadSetting(std::string_view section, std::string_view key) {
  return SettingsFile::Read(section, key);
}

void BoardTest::StartBoard() {
  Deployment::DeployLibrary();  // as the program starts: the library first, then the main window
  ASSERT_TRUE(platform_->LoadWindow("MainWindow", false));
  Settle();
}

void BoardTest::CloseBoard() {
  if (QWidget* main = Widget("MainWindow", "MainWindow")) main->close();
  Settle();
}

QWidget* BoardTest::Widget(std::string_view window, std::string_view control) {
  return platform_->WidgetForHandle(platform_->GetWindowHandle(window, control));
}

// The widget of a control, made visible as the user would: a button on another tab page is
// hidden until its page is turned to. nullptr (and a failure) when there is no such widget.
QWidget* BoardTest::Reach(std::string_view window, std::string_view control) {
  QWidget* widget = Widget(window, control);
  if (widget == nullptr) {
    ADD_FAILURE() << "no widget for " << control;
    return nullptr;
  }
  auto* tabs = qobject_cast<QTabWidget*>(Widget("MainWindow", "选择夹1"));
  for (int page = 0; tabs != nullptr && page < tabs->count() && !widget->isVisible(); ++page) {
    tabs->setCurrentIndex(page);
    Settle();
  }
  return widget;
}

void BoardTest::Click(std::string_view window, std::string_view control) {
  if (QWidget* widget = Reach(window, control)) QTest::mouseClick(widget, Qt::LeftButton);
  Settle();
}

void BoardTest::RightPress(std::string_view window, std::string_view control) {
  if (QWidget* widget = Reach(window, control)) {
    QTest::mousePress(widget, Qt::RightButton);
    QTest::mouseRelease(widget, Qt::RightButton);
  }
  Settle();
}

void BoardTest::Hover(std::string_view window, std::string_view control) {
  if (QWidget* widget = Reach(window, control)) {
    QTest::mouseMove(widget, QPoint(widget->width() / 2, widget->height() / 2));
    QTest::mouseMove(widget, QPoint(widget->width() / 2 + 1, widget->height() / 2));
  }
  Settle();
}

}  // namespace kalvor::test
