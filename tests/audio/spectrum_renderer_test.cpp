// Frames of the spectrum renderer, drawn through the Qt platform and its drawing layer onto a
// picture box of an offscreen window and checked pixel by pixel. The audio library is replaced by a
// stand-in for BASS_ChannelGetData that hands out whatever magnitudes the test sets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_player.h"
#include "platform/qt/qt_drawing_layer.h"
#include "platform/qt/qt_platform.h"

namespace kalvor {
namespace {

// The stand-in library: 512 magnitudes per call, like ours, or the failure value.
struct FakeLibrary {
  static inline std::array<float, 512> magnitudes{};
  static inline bool fail = false;
  static inline int calls = 0;
  static inline std::uint32_t lastRequest = 0;

  static std::uint32_t ChannelGetData(std::uint32_t, void* buffer, std::uint32_t request) {
    ++calls;
    lastRequest = request;
    if (fail) return 0xFFFFFFFFu;
    std::memcpy(buffer, magnitudes.data(), sizeof magnitudes);
    return 4096;
  }
  static void Reset() {
    magnitudes.fill(0);
    fail = false;
    calls = 0;
    lastRequest = 0;
  }
};

// The Qt platform with the library's spectrum call replaced by the stand-in.
class LibraryStandInPlatform : public QtPlatform {
 public:
  using QtPlatform::QtPlatform;
  void* BindExternal(std::string_view library, std::string_view function) override {
    if (function == "BASS_ChannelGetData") {
      return reinterpret_cast<void*>(&FakeLibrary::ChannelGetData);
    }
    return QtPlatform::BindExternal(library, function);
  }
};

// The application outlives every platform of the tests and goes at the very end, so the process
// ends with nothing of Qt left behind.
int argc = 1;
char programName[] = "spectrum_tests";
char* argv[] = {programName, nullptr};
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }
  void TearDown() override { delete QApplication::instance(); }
};
const auto* const application = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

constexpr char kWindow[] = "SpectrumWindow";
constexpr char kPicture[] = "图片框1";
constexpr QRgb kBlack = 0xFF000000u;
constexpr std::int32_t kGreen = 0x00FF00;  // 0x00BBGGRR
constexpr std::int32_t kBlue = 0xFF0000;

QRgb Rgb(std::int32_t colorRef) {
  return qRgb(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

class SpectrumRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeLibrary::Reset();
    platform_ = std::make_unique<LibraryStandInPlatform>(argc, argv);
    // The platform's own layer, installed when the platform was made.
    layer_ = dynamic_cast<QtDrawingLayer*>(Drawing());
    ASSERT_NE(layer_, nullptr);
    FormDef form;
    form.name = kWindow;
    form.outerWidth = 420;
    form.outerHeight = 140;
    ControlDef picture;
    picture.name = kPicture;
    picture.kind = ControlKind::PictureBox;
    picture.x = picture.y = 4;
    picture.w = 400;
    picture.h = 100;
    form.controls.push_back(picture);
    platform_->RegisterForm(form);
    ASSERT_TRUE(platform_->LoadWindow(kWindow));
    handle_ = platform_->GetWindowHandle(kWindow, kPicture);
    control_ = platform_->WidgetForHandle(handle_);
    ASSERT_NE(control_, nullptr);
  }

  void TearDown() override { platform_.reset(); }

  void Draw(std::uint32_t stream = 5) {
    player_.DrawSpectrum(kWindow, kPicture, stream);
    EXPECT_EQ(layer_->OpenObjectCount(), 0u) << "a frame left a context or an object behind";
  }
  QImage Shown() const { return layer_->ShownFrame(handle_); }
  // One column of the frame from the top, as colours.
  std::vector<QRgb> Column(int x) const {
    const QImage frame = Shown();
    std::vector<QRgb> out;
    for (int y = 0; y < frame.height(); ++y) out.push_back(frame.pixel(x, y));
    return out;
  }

  std::unique_ptr<LibraryStandInPlatform> platform_;
  QtDrawingLayer* layer_ = nullptr;
  std::int32_t handle_ = 0;
  QWidget* control_ = nullptr;
  AudioPlayer player_;
};

TEST_F(SpectrumRendererTest, FullBarRunsFromTopColourDownToBaseColourAndLeavesAGap) {
  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  FakeLibrary::magnitudes[0] = FakeLibrary::magnitudes[1] = 1.0f;  // far above the height
  Draw();

  EXPECT_EQ(FakeLibrary::calls, 1);
  EXPECT_EQ(FakeLibrary::lastRequest, 0x80000002u);
  const QImage frame = Shown();
  ASSERT_EQ(frame.size(), QSize(400, 100));
  EXPECT_EQ(frame.pixel(0, 0), Rgb(kGreen));
  EXPECT_EQ(frame.pixel(0, 99), Rgb(kBlue));
  // Half way the colour is between the two.
  const QRgb middle = frame.pixel(0, 50);
  EXPECT_GT(qGreen(middle), 90);
  EXPECT_GT(qBlue(middle), 90);
  // Bars are barWidth pixels wide and one pixel apart; the second bar (bins 3, 4) is silent.
  EXPECT_EQ(frame.pixel(1, 0), kBlack);
  EXPECT_EQ(frame.pixel(1, 99), kBlack);
  EXPECT_EQ(frame.pixel(2, 98), Rgb(kBlue)) << "the silent bar's peak mark";
  EXPECT_EQ(player_.peaks[1], 100);
  EXPECT_FLOAT_EQ(player_.levels[0], 100.0f);

  // The control itself shows the frame.
  const QImage onScreen = control_->grab().toImage();
  EXPECT_EQ(onScreen.pixel(0, 0), Rgb(kGreen));
  EXPECT_EQ(onScreen.pixel(0, 99), Rgb(kBlue));
  EXPECT_EQ(onScreen.pixel(1, 0), kBlack);
}

TEST_F(SpectrumRendererTest, HalfBarBlendsItsTopColourAndCarriesThePeakMarkAbove) {
  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  FakeLibrary::magnitudes[1] = 1.0f;  // bin 2 full, bin 1 silent: the bar averages 50
  Draw();

  const std::vector<QRgb> column = Column(0);
  EXPECT_EQ(column[50], qRgb(0, 127, 127));  // 255 * 50 / 100 of each colour, truncated
  EXPECT_EQ(column[99], Rgb(kBlue));
  EXPECT_EQ(column[49], Rgb(kBlue)) << "peak mark right above the bar";
  EXPECT_EQ(column[48], kBlack);
  EXPECT_EQ(player_.peaks[1], 50);
  EXPECT_EQ(player_.peaks[0], 0) << "only the bin that ends a bar has a peak";
}

TEST_F(SpectrumRendererTest, LevelsFallByTwoPerFrameAndStayAtTwoOrBelow) {
  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  player_.levels[0] = 5.0f;
  player_.levels[1] = 2.0f;
  player_.levels[2] = 1.5f;
  player_.levels[600] = 9.0f;  // above the bins the library fills

  std::vector<float> first;
  for (int frame = 0; frame < 4; ++frame) {
    Draw();
    first.push_back(player_.levels[0]);
  }
  EXPECT_EQ(first, (std::vector<float>{3.0f, 1.0f, 1.0f, 1.0f}));
  EXPECT_FLOAT_EQ(player_.levels[1], 2.0f);
  EXPECT_FLOAT_EQ(player_.levels[2], 1.5f);
  EXPECT_FLOAT_EQ(player_.levels[600], 1.0f);

  // A new value above the level takes over at once.
  FakeLibrary::magnitudes[0] = 0.1f;  // bin 1 is lifted by 250.75
  Draw();
  EXPECT_NEAR(player_.levels[0], 25.075f, 1e-4);
  EXPECT_FLOAT_EQ(player_.spectrum[0], 0.1f);
}

TEST_F(SpectrumRendererTest, SilentStreamLetsThePeakFallOnePixelPerFrameDownToOne) {
  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  player_.peaks[1] = 5;
  std::vector<int> markRows;
  for (int frame = 0; frame < 6; ++frame) {
    Draw();
    const std::vector<QRgb> column = Column(0);
    const auto mark = std::find(column.begin(), column.end(), Rgb(kBlue));
    markRows.push_back(mark == column.end() ? -1 : static_cast<int>(mark - column.begin()));
    EXPECT_EQ(std::count(column.begin(), column.end(), Rgb(kBlue)), 1) << "frame " << frame;
  }
  EXPECT_EQ(markRows, (std::vector<int>{95, 96, 97, 98, 98, 98}));
  EXPECT_EQ(player_.peaks[1], 1);
  // A peak of 1 marks the row height - 2; the bottom row stays unpainted.
  EXPECT_EQ(Shown().pixel(0, 99), kBlack);
}

TEST_F(SpectrumRendererTest, ZeroBarWidthGivesEveryBinABarWithoutWidth) {
  player_.SetSpectrumStyle(400, 100, 0, 1, kGreen, kBlue);
  FakeLibrary::magnitudes.fill(1.0f);
  Draw();

  // Every bin is its own bar, so every bin has a peak, but neither bars nor marks have width.
  EXPECT_EQ(player_.peaks[0], 100);
  EXPECT_EQ(player_.peaks[511], 100);
  EXPECT_EQ(player_.peaks[512], 1) << "bins past the library's 512 values stay silent";
  const QImage frame = Shown();
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) ASSERT_EQ(frame.pixel(x, y), kBlack) << x << "," << y;
  }
}

TEST_F(SpectrumRendererTest, BarsWiderThanTheBinsDrawNothingButTheFrameIsStillCopied) {
  QPalette palette = control_->palette();
  palette.setColor(QPalette::Window, Qt::white);
  control_->setPalette(palette);
  control_->setAutoFillBackground(true);
  player_.SetSpectrumStyle(300, 60, 999, 1, kGreen, kBlue);
  FakeLibrary::magnitudes.fill(1.0f);
  Draw();

  EXPECT_FLOAT_EQ(player_.levels[0], 60.0f) << "levels still follow the stream";
  EXPECT_EQ(player_.peaks[998], 0);
  const QImage onScreen = control_->grab().toImage();
  EXPECT_EQ(onScreen.pixel(0, 0), kBlack);
  EXPECT_EQ(onScreen.pixel(299, 59), kBlack);
  EXPECT_EQ(onScreen.pixel(300, 59), qRgb(255, 255, 255)) << "beyond the frame the control shows";
  EXPECT_EQ(onScreen.pixel(299, 60), qRgb(255, 255, 255));
}

TEST_F(SpectrumRendererTest, NoStreamOrFailedReadKeepsTheWindowAndTheState) {
  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  FakeLibrary::magnitudes[0] = FakeLibrary::magnitudes[1] = 1.0f;
  Draw();
  const QImage before = Shown();
  const std::vector<float> levels(player_.levels.get(), player_.levels.get() + 1024);
  const std::vector<float> spectrum(player_.spectrum.get(), player_.spectrum.get() + 1024);
  const std::vector<int> peaks(player_.peaks.get(), player_.peaks.get() + 1024);
  auto unchanged = [&] {
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(std::vector<float>(player_.levels.get(), player_.levels.get() + 1024), levels);
    EXPECT_EQ(std::vector<float>(player_.spectrum.get(), player_.spectrum.get() + 1024), spectrum);
    EXPECT_EQ(std::vector<int>(player_.peaks.get(), player_.peaks.get() + 1024), peaks);
  };

  FakeLibrary::magnitudes.fill(0);
  Draw(0);
  EXPECT_EQ(FakeLibrary::calls, 1) << "handle 0 never reaches the library";
  unchanged();

  FakeLibrary::fail = true;
  Draw(5);
  EXPECT_EQ(FakeLibrary::calls, 2);
  unchanged();
}

TEST_F(SpectrumRendererTest, NothingIsDrawnWithoutAStyleALayerOrAWindow) {
  Draw();  // no style yet: width and height are 0
  player_.SetSpectrumStyle(400, 100, -1, 1, kGreen, kBlue);
  Draw();
  EXPECT_EQ(FakeLibrary::calls, 0);
  EXPECT_TRUE(Shown().isNull());

  player_.SetSpectrumStyle(400, 100, 1, 1, kGreen, kBlue);
  SetDrawingLayer(nullptr);
  player_.DrawSpectrum(kWindow, kPicture, 5);
  EXPECT_EQ(FakeLibrary::calls, 0);
  SetDrawingLayer(layer_);

  // A control without a window: the frame is computed but reaches no screen.
  FakeLibrary::magnitudes[0] = 1.0f;
  player_.DrawSpectrum(kWindow, "no such control", 5);
  EXPECT_EQ(layer_->OpenObjectCount(), 0u);
  EXPECT_TRUE(Shown().isNull());
}

TEST_F(SpectrumRendererTest, FillGradientDefaultsToRedOnTheLeftAndBlueOnTheRight) {
  const std::intptr_t screen = layer_->GetDC(handle_);
  const std::intptr_t memory = layer_->CreateCompatibleDC(screen);
  const std::intptr_t bitmap = layer_->CreateCompatibleBitmap(screen, 10, 4);
  layer_->SelectObject(memory, bitmap);

  player_.FillGradient(memory, 0, 0, 10, 2);
  player_.FillGradient(memory, 0, 2, 10, 4, 0x00FF00, 0x000000, 0);  // a 0 passed stays 0
  layer_->BitBlt(screen, 0, 0, 10, 4, memory, 0, 0, DrawingLayer::kSourceCopy);
  layer_->ReleaseDC(handle_, screen);
  layer_->DeleteDC(memory);
  layer_->DeleteObject(bitmap);

  const QImage frame = Shown();
  EXPECT_EQ(frame.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(frame.pixel(9, 1), qRgb(0, 0, 255));
  EXPECT_EQ(frame.pixel(0, 2), qRgb(0, 255, 0));
  EXPECT_EQ(frame.pixel(9, 2), qRgb(0, 255, 0)) << "vertical: a row has one colour";
  EXPECT_EQ(frame.pixel(9, 3), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace kalvor
