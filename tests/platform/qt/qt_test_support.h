// Shared pieces of the Qt platform tests: a fresh QtPlatform per test on the one QApplication
// of the test program, the test seam armed; the builders for form tables come from
// tests/platform/form_builders.h.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/core/platform_seam.h"
#include "platform/qt/qt_platform.h"
#include "tests/platform/form_builders.h"

namespace kalvor::test {

// Runs posted events, deferred deletions included.
inline void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// Three frames of 4 x 2 pixels, 20 ms each, looping: all red; (1,1) turns green; (3,0) turns
// blue as well.
inline constexpr unsigned char kThreeFrameGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b,
    0x4e, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00,
    0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x84, 0x6f,
    0x05, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x02, 0x00, 0x80, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x02, 0x03, 0x84, 0x1d,
    0x56, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x02, 0x00, 0x81, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00,
    0x00, 0x00, 0x02, 0x04, 0x84, 0x05, 0x61, 0x05, 0x00, 0x3b};

// Writes the three frames to a file in dir; its path.
inline QString WriteThreeFrameGif(const QTemporaryDir& dir) {
  const QString path = dir.filePath(QStringLiteral("three.gif"));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(reinterpret_cast<const char*>(kThreeFrameGif), sizeof kThreeFrameGif);
  }
  return path;
}

class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = std::make_unique<QtPlatform>(argc_, argv_);
    PlatformSeam::Instance().Arm();
    PlatformSeam::Instance().Reset();
  }
  void TearDown() override {
    platform_.reset();
    Settle();
    PlatformSeam::Instance().Reset();
    PlatformSeam::Instance().Disarm();
  }

  QtPlatform& P() { return *platform_; }

  QWidget* Widget(const std::string& window, const std::string& control) {
    return platform_->WidgetForHandle(platform_->GetWindowHandle(window, control));
  }
  template <typename T>
  T* WidgetAs(const std::string& window, const std::string& control) {
    return qobject_cast<T*>(Widget(window, control));
  }

  // Counts the runs of a handler bound to (window, control, event).
  int& Count(const std::string& window, const std::string& control, int event) {
    auto counter = std::make_shared<int>(0);
    counters_.push_back(counter);
    platform_->BindHandler(window, control, event, [counter](const EventArgs&) { ++*counter; });
    return *counter;
  }

 private:
  int argc_ = 1;
  char arg0_[16] = "qt_tests";
  char* argv_[2] = {arg0_, nullptr};
  std::unique_ptr<QtPlatform> platform_;
  std::vector<std::shared_ptr<int>> counters_;
};

}  // namespace kalvor::test
