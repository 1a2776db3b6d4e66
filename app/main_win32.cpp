// The program's entry on Windows: the command line comes as UTF-16 and is taken to UTF-8 like
// every other text; then the same start-up as on Linux, on the Win32 platform.
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup_sequence.h"
#include "platform/core/core_platform.h"
#include "platform/core/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace {

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide != nullptr && i < count; ++i) arguments.push_back(kalvor::Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

// A program without a console of its own: what a command-line request says goes to the console
// of the shell that started it, unless its output is redirected already.
void WriteToTheCallersConsole() {
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (errors != nullptr && errors != INVALID_HANDLE_VALUE) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    std::freopen("CONOUT$", "w", stderr);
    std::freopen("CONOUT$", "w", stdout);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  std::vector<std::string> arguments = Arguments();
  const std::string program = arguments.empty() ? std::string("kalvor.exe") : arguments.front();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  // A request for the running board starts nothing of its own.
  const kalvor::CommandLineRequest request = kalvor::CommandLine::Parse(arguments);
  if (request.kind != kalvor::CommandLineRequest::Kind::StartBoard) {
    WriteToTheCallersConsole();
    return kalvor::CommandLine::Hand(request);
  }
  kalvor::CorePlatform::PrepareProcess(program.c_str());
  kalvor::Win32Platform platform(instance);
  kalvor::StartupSequence::Prepare(platform);
  return kalvor::StartupSequence::Run(platform);
}
