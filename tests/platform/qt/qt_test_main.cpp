// One QApplication for every Qt platform test; each test makes its own QtPlatform on it.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  // Never a screen: also when CTest lists the tests at build time.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests start the program afresh rather than forking a process that runs Qt.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
