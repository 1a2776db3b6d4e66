// The fault tests' main: a mount namespace of the process's own (before any thread exists), one
// QApplication for the board tests, then the tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/faults/scratch_mount.h"

int main(int argc, char** argv) {
  kalvor::test::ScratchMount::EnterPrivateNamespace();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
