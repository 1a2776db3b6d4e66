// The artwork compiled into kalvor_board_assets, read back through Qt's resource system the way
// the picture boxes and the window icon will read it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include "board/assets/board_assets.h"
#include "board/main_window_form.h"

namespace kalvor {
namespace {

QString Path(std::string_view resource) {
  return QString::fromUtf8(resource.data(), static_cast<qsizetype>(resource.size()));
}

TEST(BoardAssetsTest, EveryPathTheFormNamesIsLinkedIn) {
  EXPECT_EQ(BoardAssets::Missing(), std::vector<std::string>{});
}

TEST(BoardAssetsTest, IconIs48By48WithAlpha) {
  QFile file(Path(MainWindowForm::kIconResource));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  // PNG header: 8 bits per sample, colour type 6 (RGB with alpha), i.e. 32 bits per pixel.
  ASSERT_GT(bytes.size(), 26);
  EXPECT_TRUE(bytes.startsWith("\x89PNG"));
  EXPECT_EQ(bytes[24], 8);
  EXPECT_EQ(bytes[25], 6);

  const QImage icon = QImage::fromData(bytes);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(48, 48));
  EXPECT_TRUE(icon.hasAlphaChannel());
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);      // rounded corner
  EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);  // solid middle
}

struct Banner {
  std::string_view resource;
  int frames;
  int delayMs;  // 0: not checked
};

TEST(BoardAssetsTest, BannersAreEndlessAnimations) {
  const Banner banners[] = {
      {MainWindowForm::kTopBannerResource, 18, 0},
      {MainWindowForm::kBottomBannerResource, 2, 200},
  };
  for (const Banner& banner : banners) {
    SCOPED_TRACE(banner.resource);
    QImageReader reader(Path(banner.resource));
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.imageCount(), banner.frames);
    EXPECT_EQ(reader.loopCount(), -1);  // loops forever
    EXPECT_EQ(reader.size(), QSize(420, 150));
    int frames = 0;
    while (reader.canRead()) {
      const QImage frame = reader.read();
      ASSERT_FALSE(frame.isNull()) << reader.errorString().toStdString();
      EXPECT_EQ(frame.size(), QSize(420, 150));
      if (banner.delayMs > 0) {
        EXPECT_EQ(reader.nextImageDelay(), banner.delayMs);
      }
      ++frames;
    }
    EXPECT_EQ(frames, banner.frames);
  }
}

}  // namespace
}  // namespace kalvor

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // image format plug-ins are found through the application
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
