// kalvor-chat-guard OWNER: started by the audio library while the virtual microphone is open.
// Waits on standard input; a 'q' means the board closed the device itself. Anything else ends
// the wait with the board gone (the pipe closed with it): the modules it made are unloaded.
#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

#include "pulse_module_sweep.h"

using kalvor::audiolib::PulseModuleSweep;

namespace {

constexpr pa_usec_t kGiveUpUsec = 3 * PA_USEC_PER_SEC;

bool board_closed_the_device() {
  for (;;) {
    char byte = 0;
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got == 1 && byte == 'q') return true;
    if (got == 1) continue;
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

struct Cleanup {
  pa_mainloop* loop;
  PulseModuleSweep sweep;
  pid_t owner;
};

void on_swept(void* data) {
  pa_mainloop_quit(static_cast<Cleanup*>(data)->loop, 0);
}

void on_state(pa_context* context, void* data) {
  auto* cleanup = static_cast<Cleanup*>(data);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      cleanup->sweep.start(context, cleanup->owner, &on_swept, cleanup);
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      pa_mainloop_quit(cleanup->loop, 1);
      break;
    default:
      break;
  }
}

void on_give_up(pa_mainloop_api* api, pa_time_event*, const struct timeval*, void*) {
  api->quit(api, 1);
}

}  // namespace

int main(int argc, char** argv) {
  // The board's terminal and session are not ours to end with: only the pipe ends the wait.
  for (const int signal_number : {SIGINT, SIGHUP, SIGTERM, SIGQUIT, SIGPIPE, SIGTSTP}) {
    signal(signal_number, SIG_IGN);
  }
  const pid_t owner = argc == 2 ? static_cast<pid_t>(std::atol(argv[1])) : 0;
  if (owner <= 0) return 2;
  if (board_closed_the_device()) return 0;

  Cleanup cleanup{pa_mainloop_new(), {}, owner};
  pa_mainloop_api* api = pa_mainloop_get_api(cleanup.loop);
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, kGiveUpUsec);
  pa_time_event* give_up = api->time_new(api, &when, &on_give_up, nullptr);
  pa_context* context = pa_context_new(api, "Kalvor");
  int result = 1;
  if (context != nullptr) {
    pa_context_set_state_callback(context, &on_state, &cleanup);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
      pa_mainloop_run(cleanup.loop, &result);
    }
    cleanup.sweep.cancel();
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
  api->time_free(give_up);
  pa_mainloop_free(cleanup.loop);
  return result;
}
