#include "app/core_platform.h"
#include "app/qt_platform.h"
#include "app/startup_sequence.h"

int main(int argc, char** argv) {
  kalvor::CorePlatform::PrepareProcess(argv[0]);
  kalvor::QtPlatform platform(argc, argv);
  kalvor::StartupSequence::Prepare(platform);
  return kalvor::StartupSequence::Run(platform);
}
