// The spectrum through the real Qt platform: the platform installs its drawing layer, the control
// is found from its window handle, and the frame shows on the control's widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <array>
#include <cstring>

#include "app/qt_platform.h"
#include "audio/audio_player.h"

namespace kalvor {
namespace {

std::array<float, 512> magnitudes{};

std::uint32_t ChannelGetData(std::uint32_t, void* buffer, std::uint32_t) {
  std::memcpy(buffer, magnitudes.data(), sizeof magnitudes);
  return 4096;
}

class LibraryStandInPlatform : public QtPlatform {
 public:
  using QtPlatform::QtPlatform;
  void* BindExternal(std::string_view library, std::string_view function) override {
    if (function == "BASS_ChannelGetData") return reinterpret_cast<void*>(&ChannelGetData);
    return QtPlatform::BindExternal(library, function);
  }
};

TEST(SpectrumQtPlatformTest, FrameReachesThePictureBoxOfALoadedWindow) {
  static int argc = 1;
  static char name[] = "spectrum_qt_platform_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);

  LibraryStandInPlatform platform(argc, argv);
  ASSERT_NE(Drawing(), nullptr) << "the Qt platform installs its drawing layer";
  FormDef form;
  form.name = "SpectrumWindow";
  form.outerWidth = 300;
  form.outerHeight = 200;
  ControlDef picture;
  picture.name = "图片框1";
  picture.kind = ControlKind::PictureBox;
  picture.x = 10;
  picture.y = 10;
  picture.w = 200;
  picture.h = 80;
  form.controls.push_back(picture);
  platform.RegisterForm(form);
  ASSERT_TRUE(platform.LoadWindow("SpectrumWindow"));

  AudioPlayer player;
  player.SetSpectrumStyle(100, 50, 1, 1, 0x00FF00, 0xFF0000);
  magnitudes.fill(0);
  magnitudes[0] = magnitudes[1] = 1.0f;
  player.DrawSpectrum("SpectrumWindow", "图片框1", 3);

  QWidget* widget = platform.WidgetForHandle(platform.GetWindowHandle("SpectrumWindow", "图片框1"));
  ASSERT_NE(widget, nullptr);
  const QImage shown = widget->grab().toImage();
  EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(shown.pixel(0, 49), qRgb(0, 0, 255));
  EXPECT_EQ(shown.pixel(99, 49), qRgb(0, 0, 0)) << "the unpainted frame is black";
  EXPECT_NE(shown.pixel(100, 49), qRgb(0, 0, 0)) << "beyond the frame the picture box shows";

  platform.UnloadWindow("SpectrumWindow");
}

}  // namespace
}  // namespace kalvor
