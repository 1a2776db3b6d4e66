// The virtual microphone on a PulseAudio-protocol sound server (PulseAudio itself, or PipeWire
// through its pulse layer), spoken to with libpulse on a main loop thread of its own. While it is
// open the system has a capture source that chat programs list as a microphone; it carries the
// board's effects and the host's own microphone, and the host hears the effects on their usual
// speakers. LinuxOutput offers it as one more output device.
//
// Opening it, in the background: connect; unload what earlier boards left (every module of ours,
// so there is never more than one kalvor_mic); note the default sink and source; load a null sink
// (kalvor_mix) and a source remapped from its monitor (kalvor_mic); put the defaults back should
// the server have switched them to the new devices; then open three streams, all with buffers of
// a few milliseconds: the mix into kalvor_mix, the default source (the host's microphone, unless
// data.ini turns it off or it is no microphone at all) and the effects for the default sink
// (unless data.ini turns that off). The mix stream's requests drive everything: each one takes
// the effects from the engine's mixer and the queued voice, limits the sum and writes it.
// Opening and closing never wait for the server for more than a few milliseconds.
//
// Nothing runs while nothing is to be done: without a voice to pass through, the mix stream is
// corked while no effect plays, and the speakers' stream is corked whenever no effect plays.
//
// When the connection is lost (the server ended or restarted) the device tries again every
// 200 ms and builds everything anew; the engine notices nothing.
//
// Locks: the main loop's lock is taken before the engine's stream list (the mix stream's
// callback runs with it held and calls the mixer), so the engine never calls run() or park()
// while holding its list lock.
#pragma once

#include <pulse/pulseaudio.h>

#include <string>
#include <vector>

#include "audio_output.h"
#include "chat_guard.h"
#include "chat_mixer.h"
#include "chat_settings.h"
#include "pulse_module_sweep.h"

namespace kalvor::audiolib {

class PulseChatOutput {
 public:
  static constexpr const char* kDeviceName = "Kalvor 虚拟麦克风（聊天室能听到）";

  // Buffers: the microphone arrives in steps of kCaptureMs; the mix and the speakers hold
  // kPlaybackMs and are asked for a quarter of that at a time.
  static constexpr int kCaptureMs = 5;
  static constexpr int kPlaybackMs = 10;
  static constexpr int kVoiceWaitMs = 3;
  static constexpr int kRetryMs = 200;
  // The server may still switch its defaults to the new devices this long after they appear.
  static constexpr int kDefaultsWatchMs = 3000;
  // Closing waits this long for the server to confirm the modules are gone; past it the watcher
  // process finishes the job in the background.
  static constexpr int kCloseWaitMs = 5;
  // What a stream holds when nothing more plays has been heard this long after (both servers
  // buffer less).
  static constexpr int kTailMs = 100;

  // Whether a sound server that can host the device answers, and the rate it runs at. Costs a
  // connection attempt: next to nothing when no server runs.
  static bool probe(int* rate);
  // At the program's exit: takes the open device's modules off the server.
  static void close_at_exit();

  // mixer: the effects, asked for on the main loop thread while running.
  PulseChatOutput(AudioOutput::Mixer mixer, int rate, ChatSettings settings);
  // Takes everything this device made off the server.
  ~PulseChatOutput();
  PulseChatOutput(const PulseChatOutput&) = delete;
  PulseChatOutput& operator=(const PulseChatOutput&) = delete;

  // Starts the main loop thread and the first connection. False when libpulse cannot start.
  bool launch();

  int period_frames() const { return rate_ * kPlaybackMs / 4000; }
  // Effects play from now on / nothing plays any more (the engine's decoder thread).
  void run();
  void park();

 private:
  // Everything below runs on the main loop's thread or with its lock held.
  void connect();
  void schedule_connect(int delay_ms);
  void drop_connection();
  void after_sweep();
  void load_devices(const pa_server_info* info);
  // Loads a module; Loaded gets its index (PA_INVALID_INDEX when it failed).
  template <void (PulseChatOutput::*Loaded)(std::uint32_t)>
  void load_module(const char* module, const std::string& arguments);
  void on_sink_loaded(std::uint32_t index);
  void on_source_loaded(std::uint32_t index);
  void keep_defaults(const pa_server_info* info);
  void open_streams();
  void open_mix(const pa_buffer_attr& attributes);
  void reopen_mix();
  pa_stream* new_stream(const char* media_name, const char* restore_id);
  void restart_sink();
  void update_corks();
  struct Pause {
    bool wanted = false;            // corked, or on the way there
    pa_time_event* tail = nullptr;  // set while it plays out what it holds before the cork
  };
  void pause(pa_stream* stream, Pause* state, bool want);
  void write_mix(std::size_t bytes, bool waited = false);
  void write_monitor(std::size_t bytes);
  void read_voice();
  bool voice_flowing() const;
  bool unload_own_modules();
  // Stops talking to the server; true when everything this device made is gone from it.
  bool shut_down();

  static void on_context_state(pa_context* context, void* self);
  static void on_event(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                       void* self);
  static void on_timer(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when,
                       void* self);

  const AudioOutput::Mixer effects_;
  const int rate_;
  const ChatSettings settings_;
  ChatMixer mixer_;
  ChatGuard guard_;
  std::vector<float> effects_buffer_;

  pa_threaded_mainloop* loop_ = nullptr;
  pa_mainloop_api* api_ = nullptr;
  pa_context* context_ = nullptr;
  pa_time_event* timer_ = nullptr;
  pa_time_event* mix_timer_ = nullptr;
  pa_time_event* voice_wait_ = nullptr;
  pa_buffer_attr mix_attributes_{};
  int mix_retries_ = 0;
  PulseModuleSweep sweep_;
  pa_stream* mix_ = nullptr;
  pa_stream* voice_ = nullptr;
  pa_stream* monitor_ = nullptr;
  Pause mix_pause_;
  Pause monitor_pause_;
  std::uint32_t sink_module_ = PA_INVALID_INDEX;
  std::uint32_t source_module_ = PA_INVALID_INDEX;
  int loads_in_flight_ = 0;
  std::string default_sink_;
  std::string default_source_;
  bool pulseaudio_ = false;
  pa_usec_t watch_defaults_until_ = 0;
  bool effects_running_ = false;
  bool closing_ = false;
  int unloads_in_flight_ = 0;
  bool close_incomplete_ = false;
};

}  // namespace kalvor::audiolib
