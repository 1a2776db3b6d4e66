#include "app/command_line.h"
#include "app/startup_sequence.h"
#include "platform/core/core_platform.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
  // A request for the running board starts nothing of its own.
  const kalvor::CommandLineRequest request = kalvor::CommandLine::Parse(argc, argv);
  if (request.kind != kalvor::CommandLineRequest::Kind::StartBoard) {
    return kalvor::CommandLine::Hand(request);
  }
  kalvor::CorePlatform::PrepareProcess(argv[0]);
  kalvor::QtPlatform platform(argc, argv);
  kalvor::StartupSequence::Prepare(platform);
  return kalvor::StartupSequence::Run(platform);
}
