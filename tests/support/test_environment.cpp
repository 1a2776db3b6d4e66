// Linked into every test program: before main() runs, the process gets the environment that keeps
// tests off any screen and sound card. A value the caller set already is kept, so a test run can
// still choose, say, SDL's disk driver.
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
};

const TestEnvironment kTestEnvironment;

}  // namespace
