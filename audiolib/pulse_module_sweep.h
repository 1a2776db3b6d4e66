// One pass over the sound server's modules that unloads those our boards made: all of them (a
// board opening the virtual microphone takes it over, so there is never more than one), or only
// those of one board (what a board that ended without closing the device left behind). Runs on
// the thread of the context's main loop; done is called there once every unload has answered.
#pragma once

#include <pulse/pulseaudio.h>
#include <sys/types.h>

namespace kalvor::audiolib {

class PulseModuleSweep {
 public:
  using Done = void (*)(void* data);

  // owner 0 sweeps every module of ours.
  void start(pa_context* context, pid_t owner, Done done, void* data);
  // Forgets the pass; its context is going away, so none of its answers will come.
  void cancel() { context_ = nullptr; }
  int unloaded() const { return unloaded_; }

 private:
  static void on_module(pa_context* context, const pa_module_info* info, int eol, void* self);
  static void on_unloaded(pa_context* context, int success, void* self);
  void finish_if_done();

  pa_context* context_ = nullptr;
  pid_t owner_ = 0;
  Done done_ = nullptr;
  void* data_ = nullptr;
  int pending_ = 0;
  bool listed_ = false;
  int unloaded_ = 0;
};

}  // namespace kalvor::audiolib
