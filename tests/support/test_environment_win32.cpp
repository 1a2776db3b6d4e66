// Linked into every Windows test program: before main() runs, the output streams are switched to
// binary mode, so the C runtime does not turn "\n" into "\r\n" on the way to CTest (which would
// read the test names with a "\r" attached), and a crash ends the program instead of asking a
// debugger or a user what to do.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  }
};

const TestEnvironment kTestEnvironment;

}  // namespace
