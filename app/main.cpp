#include "app/startup_sequence.h"
#include "platform/core/core_platform.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
  kalvor::CorePlatform::PrepareProcess(argv[0]);
  kalvor::QtPlatform platform(argc, argv);
  kalvor::StartupSequence::Prepare(platform);
  return kalvor::StartupSequence::Run(platform);
}
