// The test seam: queued answers are handed out in order, then the defaults; Reset forgets all.
#include <gtest/gtest.h>

#include "platform/core/platform_seam.h"

namespace kalvor {
namespace {

TEST(CoreSeam, AnswersInOrderThenDefaultsAndResetForgets) {
  PlatformSeam& seam = PlatformSeam::Instance();
  EXPECT_EQ(&seam, &PlatformSeam::Instance());
  seam.Arm();
  seam.Reset();
  seam.QueueMessageBoxAnswer(6);
  seam.QueueMessageBoxAnswer(1);
  EXPECT_EQ(seam.TakeMessageBoxAnswer({"设置无效", "信息：", 0}), 6);
  EXPECT_EQ(seam.TakeMessageBoxAnswer({"b", "t", 0x30}), 1);
  EXPECT_EQ(seam.TakeMessageBoxAnswer({"c", "t", 0}), 0);  // nothing queued: OK
  ASSERT_EQ(seam.Messages().size(), 3u);
  EXPECT_EQ(seam.Messages()[0].text, "设置无效");
  EXPECT_EQ(seam.Messages()[1].style, 0x30);

  seam.QueueFileDialogAnswer("/home/u/a.mp3");
  seam.QueueFileDialogAnswer(std::nullopt);
  EXPECT_EQ(seam.TakeFileDialogAnswer(), "/home/u/a.mp3");
  EXPECT_EQ(seam.TakeFileDialogAnswer(), std::nullopt);
  EXPECT_EQ(seam.TakeFileDialogAnswer(), std::nullopt);  // nothing queued: cancel
  EXPECT_EQ(seam.FileDialogsShown(), 3);
  seam.RecordOpenedAddress("https://example.invalid/");

  seam.QueueMessageBoxAnswer(2);
  seam.QueueFileDialogAnswer("x");
  seam.Reset();
  EXPECT_TRUE(seam.Armed());
  EXPECT_TRUE(seam.Messages().empty());
  EXPECT_TRUE(seam.OpenedAddresses().empty());
  EXPECT_EQ(seam.FileDialogsShown(), 0);
  EXPECT_EQ(seam.TakeMessageBoxAnswer({}), 0);
  EXPECT_EQ(seam.TakeFileDialogAnswer(), std::nullopt);
  seam.Disarm();
  seam.Reset();
  EXPECT_FALSE(seam.Armed());
}

}  // namespace
}  // namespace kalvor
