// Linked into every test program: before main() runs, the process gets the environment that keeps
// tests off any screen and sound card. A value the caller set already is kept, so a test run can
// still choose, say, SDL's disk driver.
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Run from a Wayland desktop, the board would ask that desktop's portal for its hotkeys (and
    // the desktop the user); tests that want a portal start one of their own.
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
  }
};

const TestEnvironment kTestEnvironment;

}  // namespace
