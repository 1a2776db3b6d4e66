// Linked into every test program: before main() runs, the process gets the environment that keeps
// tests off any screen, sound card and sound server (a desktop's server would add the virtual
// microphone to every device list). A value the caller set already is kept, so a test run can
// still choose, say, SDL's disk driver; tests that want a sound server start their own.
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
    ::setenv("PULSE_SERVER", "unix:/nonexistent/kalvor-tests-start-their-own", 0);
  }
};

const TestEnvironment kTestEnvironment;

}  // namespace
