#include "pulse_chat_output.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <mutex>
#include <utility>

#include "pulse_modules.h"

namespace kalvor::audiolib {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
constexpr pa_usec_t kProbeTimeoutUsec = 500 * PA_USEC_PER_MSEC;

pa_sample_spec sample_spec(int rate) {
  return {PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate), 2};
}

std::uint32_t bytes_for_ms(int rate, int ms) {
  return static_cast<std::uint32_t>(rate * ms / 1000 * kFrameBytes);
}

pa_proplist* application_properties() {
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Kalvor");
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "io.kalvor.Kalvor");
  return properties;
}

pa_context* new_context(pa_mainloop_api* api) {
  pa_proplist* properties = application_properties();
  pa_context* context = pa_context_new_with_proplist(api, "Kalvor", properties);
  pa_proplist_free(properties);
  return context;
}

void forget(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

pa_time_event* new_timer(pa_mainloop_api* api, int delay_ms, pa_time_event_cb_t callback,
                         void* data) {
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, static_cast<pa_usec_t>(delay_ms) * PA_USEC_PER_MSEC);
  return api->time_new(api, &when, callback, data);
}

bool stream_good(pa_stream* stream) {
  return stream != nullptr && PA_STREAM_IS_GOOD(pa_stream_get_state(stream));
}

}  // namespace

bool PulseChatOutput::probe(int* rate) {
  struct Answer {
    bool done = false;
    bool answered = false;
    int rate = 0;
  } answer;
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) return false;
  pa_context* context = new_context(pa_mainloop_get_api(loop));
  if (context != nullptr) {
    pa_context_set_state_callback(
        context,
        [](pa_context* c, void* data) {
          auto* answer = static_cast<Answer*>(data);
          const pa_context_state_t state = pa_context_get_state(c);
          if (state == PA_CONTEXT_READY) {
            auto on_info = [](pa_context*, const pa_server_info* info, void* data) {
              auto* answer = static_cast<Answer*>(data);
              if (info != nullptr) {
                answer->answered = true;
                answer->rate = static_cast<int>(info->sample_spec.rate);
              }
              answer->done = true;
            };
            pa_operation* operation = pa_context_get_server_info(c, on_info, data);
            if (operation == nullptr) answer->done = true;
            forget(operation);
          } else if (!PA_CONTEXT_IS_GOOD(state)) {
            answer->done = true;
          }
        },
        &answer);
    // Without a server the connection fails at once; a server that hangs is given up on.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
      const pa_usec_t deadline = pa_rtclock_now() + kProbeTimeoutUsec;
      while (!answer.done) {
        const pa_usec_t now = pa_rtclock_now();
        if (now >= deadline || pa_mainloop_prepare(loop, static_cast<int>(deadline - now)) < 0 ||
            pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0) {
          break;
        }
      }
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
  pa_mainloop_free(loop);
  if (answer.answered && rate != nullptr) *rate = answer.rate;
  return answer.answered;
}

namespace {

// The device that is open, for the exit handler.
std::mutex& open_mutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
PulseChatOutput* open_device = nullptr;

}  // namespace

PulseChatOutput::PulseChatOutput(AudioOutput::Mixer mixer, int rate, ChatSettings settings)
    : effects_(std::move(mixer)), rate_(rate), settings_(settings), mixer_(rate) {}

void PulseChatOutput::close_at_exit() {
  // A device being closed right now finishes on its own; the watcher covers the rest.
  std::unique_lock lock(open_mutex(), std::try_to_lock);
  if (!lock.owns_lock() || open_device == nullptr) return;
  PulseChatOutput* device = open_device;
  open_device = nullptr;
  // The object stays: other threads may still call it while the program ends.
  pa_threaded_mainloop_lock(device->loop_);
  const bool cleaned = device->shut_down();
  pa_threaded_mainloop_unlock(device->loop_);
  device->guard_.release(cleaned);
}

bool PulseChatOutput::launch() {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr) return false;
  api_ = pa_threaded_mainloop_get_api(loop_);
  pa_threaded_mainloop_set_name(loop_, "kalvor-chat");
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    return false;
  }
  guard_.start();
  pa_threaded_mainloop_lock(loop_);
  connect();
  pa_threaded_mainloop_unlock(loop_);
  static std::once_flag at_exit;
  std::call_once(at_exit, [] { std::atexit(&PulseChatOutput::close_at_exit); });
  std::lock_guard lock(open_mutex());
  open_device = this;
  return true;
}

PulseChatOutput::~PulseChatOutput() {
  if (loop_ == nullptr) return;
  {
    std::lock_guard lock(open_mutex());
    if (open_device == this) open_device = nullptr;
  }
  pa_threaded_mainloop_lock(loop_);
  const bool cleaned = shut_down();
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
  guard_.release(cleaned);
}

bool PulseChatOutput::shut_down() {
  closing_ = true;
  if (timer_ != nullptr) {
    api_->time_free(timer_);
    timer_ = nullptr;
  }
  const bool cleaned = unload_own_modules();
  drop_connection();
  return cleaned;
}

void PulseChatOutput::run() {
  pa_threaded_mainloop_lock(loop_);
  effects_running_ = true;
  update_corks();
  pa_threaded_mainloop_unlock(loop_);
}

void PulseChatOutput::park() {
  pa_threaded_mainloop_lock(loop_);
  effects_running_ = false;
  update_corks();
  pa_threaded_mainloop_unlock(loop_);
}

// --- connection ---------------------------------------------------------------------------------

void PulseChatOutput::connect() {
  context_ = new_context(api_);
  if (context_ == nullptr) {
    schedule_connect(kRetryMs);
    return;
  }
  pa_context_set_state_callback(context_, &on_context_state, this);
  pa_context_set_subscribe_callback(context_, &on_event, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    schedule_connect(kRetryMs);
  }
}

void PulseChatOutput::schedule_connect(int delay_ms) {
  if (timer_ != nullptr) api_->time_free(timer_);
  timer_ = new_timer(api_, delay_ms, &on_timer, this);
}

void PulseChatOutput::on_timer(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                               void* data) {
  auto* self = static_cast<PulseChatOutput*>(data);
  api->time_free(event);
  if (event == self->timer_) self->timer_ = nullptr;
  if (self->closing_) return;
  self->drop_connection();
  self->connect();
}

void PulseChatOutput::drop_connection() {
  sweep_.cancel();
  for (pa_time_event** timer :
       {&mix_timer_, &voice_wait_, &mix_pause_.tail, &monitor_pause_.tail}) {
    if (*timer != nullptr) api_->time_free(*timer);
    *timer = nullptr;
  }
  for (pa_stream** stream : {&mix_, &voice_, &monitor_}) {
    if (*stream == nullptr) continue;
    pa_stream_set_state_callback(*stream, nullptr, nullptr);
    pa_stream_set_write_callback(*stream, nullptr, nullptr);
    pa_stream_set_read_callback(*stream, nullptr, nullptr);
    pa_stream_disconnect(*stream);
    pa_stream_unref(*stream);
    *stream = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  sink_module_ = PA_INVALID_INDEX;
  source_module_ = PA_INVALID_INDEX;
  loads_in_flight_ = 0;
  mixer_.clear_voice();
  mixer_.clear_monitor();
}

void PulseChatOutput::on_context_state(pa_context* context, void* data) {
  auto* self = static_cast<PulseChatOutput*>(data);
  if (context != self->context_) return;
  if (self->closing_) {
    pa_threaded_mainloop_signal(self->loop_, 0);
    return;
  }
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      forget(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr));
      self->sweep_.start(
          context, 0, [](void* data) { static_cast<PulseChatOutput*>(data)->after_sweep(); }, self);
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      // The server went away (or was never there): build everything anew once it answers.
      self->schedule_connect(kRetryMs);
      break;
    default:
      break;
  }
}

// --- devices ------------------------------------------------------------------------------------

void PulseChatOutput::after_sweep() {
  if (closing_) return;
  auto on_info = [](pa_context* context, const pa_server_info* info, void* data) {
    auto* self = static_cast<PulseChatOutput*>(data);
    if (context != self->context_ || self->closing_ || info == nullptr) return;
    self->load_devices(info);
  };
  forget(pa_context_get_server_info(context_, on_info, this));
}

void PulseChatOutput::load_devices(const pa_server_info* info) {
  // The defaults as the user has them, before our devices exist.
  default_sink_ = info->default_sink_name != nullptr ? info->default_sink_name : "";
  default_source_ = info->default_source_name != nullptr ? info->default_source_name : "";
  // PulseAudio itself, not another server speaking its protocol.
  pulseaudio_ = info->server_name != nullptr && std::string(info->server_name) == "pulseaudio";
  load_module<&PulseChatOutput::on_sink_loaded>(PulseModules::kNullSink,
                                                PulseModules::sink_arguments(rate_, getpid()));
}

template <void (PulseChatOutput::*Loaded)(std::uint32_t)>
void PulseChatOutput::load_module(const char* module, const std::string& arguments) {
  auto on_loaded = [](pa_context* context, std::uint32_t index, void* data) {
    auto* self = static_cast<PulseChatOutput*>(data);
    if (context != self->context_) return;
    --self->loads_in_flight_;
    (self->*Loaded)(index);
  };
  pa_operation* operation =
      pa_context_load_module(context_, module, arguments.c_str(), on_loaded, this);
  if (operation != nullptr) ++loads_in_flight_;
  forget(operation);
}

void PulseChatOutput::on_sink_loaded(std::uint32_t index) {
  sink_module_ = index;
  if (closing_) {
    pa_threaded_mainloop_signal(loop_, 0);
    return;
  }
  if (index == PA_INVALID_INDEX) return;
  load_module<&PulseChatOutput::on_source_loaded>(PulseModules::kRemapSource,
                                                  PulseModules::source_arguments(getpid()));
}

void PulseChatOutput::on_source_loaded(std::uint32_t index) {
  source_module_ = index;
  if (closing_) {
    pa_threaded_mainloop_signal(loop_, 0);
    return;
  }
  if (index == PA_INVALID_INDEX) return;
  // A server that picks its defaults by itself may pick the new devices, now or a moment later.
  watch_defaults_until_ = pa_rtclock_now() + kDefaultsWatchMs * PA_USEC_PER_MSEC;
  on_event(context_, PA_SUBSCRIPTION_EVENT_SERVER, PA_INVALID_INDEX, this);
  open_streams();
}

void PulseChatOutput::on_event(pa_context* context, pa_subscription_event_type_t type,
                               std::uint32_t, void* data) {
  auto* self = static_cast<PulseChatOutput*>(data);
  if (context != self->context_ || self->closing_) return;
  if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SERVER) return;
  if (pa_rtclock_now() > self->watch_defaults_until_) return;
  auto on_info = [](pa_context* context, const pa_server_info* info, void* data) {
    auto* self = static_cast<PulseChatOutput*>(data);
    if (context != self->context_ || self->closing_ || info == nullptr) return;
    self->keep_defaults(info);
  };
  forget(pa_context_get_server_info(context, on_info, self));
}

void PulseChatOutput::keep_defaults(const pa_server_info* info) {
  const std::string sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
  const std::string source = info->default_source_name != nullptr ? info->default_source_name : "";
  if (PulseModules::is_our_sink(sink) && !default_sink_.empty() &&
      !PulseModules::is_our_sink(default_sink_)) {
    forget(pa_context_set_default_sink(context_, default_sink_.c_str(), nullptr, nullptr));
  }
  if (PulseModules::is_our_source(source) && !default_source_.empty() &&
      !PulseModules::is_our_source(default_source_)) {
    forget(pa_context_set_default_source(context_, default_source_.c_str(), nullptr, nullptr));
  }
}

bool PulseChatOutput::unload_own_modules() {
  if (context_ == nullptr || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
  // Nothing plays into the sink while it goes.
  for (pa_stream* stream : {mix_, voice_, monitor_}) {
    if (stream != nullptr) pa_stream_disconnect(stream);
  }
  close_incomplete_ = false;
  pa_time_event* deadline = new_timer(
      api_, kCloseWaitMs,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
        auto* self = static_cast<PulseChatOutput*>(data);
        self->close_incomplete_ = true;
        pa_threaded_mainloop_signal(self->loop_, 0);
      },
      this);
  auto waiting = [this](const int& in_flight) {
    return in_flight > 0 && !close_incomplete_ &&
           pa_context_get_state(context_) == PA_CONTEXT_READY;
  };
  // A module on its way in is unloaded once it is there.
  while (waiting(loads_in_flight_)) pa_threaded_mainloop_wait(loop_);
  bool cleaned = loads_in_flight_ == 0;
  unloads_in_flight_ = 0;
  for (std::uint32_t* module : {&source_module_, &sink_module_}) {
    if (*module == PA_INVALID_INDEX) continue;
    auto on_unloaded = [](pa_context*, int success, void* data) {
      auto* self = static_cast<PulseChatOutput*>(data);
      --self->unloads_in_flight_;
      if (success == 0) self->close_incomplete_ = true;
      pa_threaded_mainloop_signal(self->loop_, 0);
    };
    pa_operation* operation = pa_context_unload_module(context_, *module, on_unloaded, this);
    if (operation == nullptr) {
      cleaned = false;
      continue;
    }
    ++unloads_in_flight_;
    forget(operation);
    *module = PA_INVALID_INDEX;
  }
  while (waiting(unloads_in_flight_)) pa_threaded_mainloop_wait(loop_);
  api_->time_free(deadline);
  return cleaned && unloads_in_flight_ == 0 && !close_incomplete_;
}

// --- streams ------------------------------------------------------------------------------------

pa_stream* PulseChatOutput::new_stream(const char* media_name, const char* restore_id) {
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, media_name);
  // Each stream is remembered apart, so a server that restores where an application's streams
  // went never sends the speakers' stream into the mix or the other way round.
  pa_proplist_sets(properties, "module-stream-restore.id", restore_id);
  const pa_sample_spec spec = sample_spec(rate_);
  pa_stream* stream = pa_stream_new_with_proplist(context_, media_name, &spec, nullptr, properties);
  pa_proplist_free(properties);
  if (stream == nullptr) return nullptr;
  pa_stream_set_state_callback(
      stream,
      [](pa_stream* stream, void* data) {
        auto* self = static_cast<PulseChatOutput*>(data);
        if (self->closing_) return;
        // A stream that is ready takes the state it should have now; one that failed (its
        // device went) no longer counts.
        if (pa_stream_get_state(stream) == PA_STREAM_READY) {
          if (stream == self->mix_) {
            forget(pa_stream_cork(stream, self->mix_pause_.wanted, nullptr, nullptr));
            self->restart_sink();
          }
          if (stream == self->monitor_) {
            forget(pa_stream_cork(stream, self->monitor_pause_.wanted, nullptr, nullptr));
          }
        }
        if (stream == self->mix_ && pa_stream_get_state(stream) == PA_STREAM_FAILED) {
          self->reopen_mix();
        }
        self->update_corks();
      },
      this);
  return stream;
}

void PulseChatOutput::open_mix(const pa_buffer_attr& attributes) {
  mix_ = new_stream("Kalvor 聊天混音", "kalvor-chat-mix");
  if (mix_ == nullptr) return;
  pa_stream_set_write_callback(
      mix_,
      [](pa_stream*, std::size_t bytes, void* data) {
        static_cast<PulseChatOutput*>(data)->write_mix(bytes);
      },
      this);
  if (mix_pause_.tail != nullptr) api_->time_free(mix_pause_.tail);
  mix_pause_ = Pause{.wanted = !(effects_running_ || voice_flowing())};
  pa_stream_connect_playback(
      mix_, PulseModules::kSinkName, &attributes,
      static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE |
                                     (mix_pause_.wanted ? PA_STREAM_START_CORKED : 0)),
      nullptr, nullptr);
}

void PulseChatOutput::reopen_mix() {
  // The sink is new, and a session manager that has not taken note of it yet may refuse a stream
  // bound to it: try again a few times.
  if (closing_ || context_ == nullptr || sink_module_ == PA_INVALID_INDEX || mix_retries_ >= 10) {
    return;
  }
  ++mix_retries_;
  if (mix_timer_ != nullptr) api_->time_free(mix_timer_);
  mix_timer_ = new_timer(
      api_, kRetryMs,
      [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* data) {
        auto* self = static_cast<PulseChatOutput*>(data);
        api->time_free(event);
        self->mix_timer_ = nullptr;
        if (self->closing_ || self->context_ == nullptr) return;
        if (self->mix_ != nullptr) {
          pa_stream_set_state_callback(self->mix_, nullptr, nullptr);
          pa_stream_set_write_callback(self->mix_, nullptr, nullptr);
          pa_stream_unref(self->mix_);
          self->mix_ = nullptr;
        }
        self->open_mix(self->mix_attributes_);
      },
      this);
}

void PulseChatOutput::open_streams() {
  const bool voice = settings_.mic && !default_source_.empty() &&
                     !PulseModules::is_our_source(default_source_) &&
                     // The speakers' own monitor is no microphone: it would send the room back
                     // into itself.
                     default_source_ != default_sink_ + ".monitor";
  const bool monitor =
      settings_.monitor && !default_sink_.empty() && !PulseModules::is_our_sink(default_sink_);

  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = bytes_for_ms(rate_, kPlaybackMs);
  attributes.prebuf = static_cast<std::uint32_t>(-1);
  // Asked for in quarters: with larger requests PulseAudio's null sink runs dry now and then.
  attributes.minreq = attributes.tlength / 4 / kFrameBytes * kFrameBytes;
  attributes.fragsize = bytes_for_ms(rate_, kCaptureMs);
  // The room's mix never waits to refill after running dry (the default): what comes late is
  // skipped, so a hiccup costs only itself and adds no delay.
  mix_attributes_ = attributes;
  mix_attributes_.prebuf = 0;
  mix_retries_ = 0;
  // The voice first, so the mix starts running at once when there is one.
  if (voice) {
    voice_ = new_stream("Kalvor 麦克风", "kalvor-chat-voice");
    if (voice_ != nullptr) {
      pa_stream_set_read_callback(
          voice_,
          [](pa_stream*, std::size_t, void* data) {
            static_cast<PulseChatOutput*>(data)->read_voice();
          },
          this);
      pa_stream_connect_record(
          voice_, default_source_.c_str(), &attributes,
          static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE));
    }
  }

  open_mix(mix_attributes_);

  if (monitor) {
    monitor_ = new_stream("Kalvor 效果监听", "kalvor-chat-monitor");
    if (monitor_ != nullptr) {
      pa_stream_set_write_callback(
          monitor_,
          [](pa_stream*, std::size_t bytes, void* data) {
            static_cast<PulseChatOutput*>(data)->write_monitor(bytes);
          },
          this);
      monitor_pause_ = Pause{.wanted = !effects_running_};
      pa_stream_connect_playback(
          monitor_, default_sink_.c_str(), &attributes,
          static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY |
                                         (monitor_pause_.wanted ? PA_STREAM_START_CORKED : 0)),
          nullptr, nullptr);
    }
  }
}

void PulseChatOutput::restart_sink() {
  // PulseAudio's null sink, with nothing playing into it, works in blocks of two seconds, and a
  // block it has started is not taken back when a stream asks for less: the first sound would
  // come that late. Suspended and resumed with the mix stream in place, it starts again on the
  // stream's terms. (PipeWire's has no such blocks, and is better left alone.)
  if (!pulseaudio_) return;
  forget(pa_context_suspend_sink_by_name(context_, PulseModules::kSinkName, 1, nullptr, nullptr));
  forget(pa_context_suspend_sink_by_name(context_, PulseModules::kSinkName, 0, nullptr, nullptr));
}

bool PulseChatOutput::voice_flowing() const {
  return stream_good(voice_);
}

void PulseChatOutput::update_corks() {
  pause(mix_, &mix_pause_, !(effects_running_ || voice_flowing()));
  pause(monitor_, &monitor_pause_, !effects_running_);
}

// A stream that is to stop first plays out what it holds (the end of the last effect), taking
// nothing more, and is corked once that has been heard; one that is to go on does so at once.
void PulseChatOutput::pause(pa_stream* stream, Pause* state, bool want) {
  if (state->wanted == want) return;
  state->wanted = want;
  // Not ready yet: it takes this state when it is.
  if (stream == nullptr || pa_stream_get_state(stream) != PA_STREAM_READY) return;
  if (state->tail != nullptr) {
    api_->time_free(state->tail);
    state->tail = nullptr;
  }
  if (!want) {
    if (stream == monitor_) mixer_.clear_monitor();
    // What the server asked for while the stream was held back was not written, and the server
    // does not ask again: fill the buffer, then let it play.
    const std::size_t room = pa_stream_writable_size(stream);
    if (room != static_cast<std::size_t>(-1)) {
      if (stream == mix_) write_mix(room);
      if (stream == monitor_) write_monitor(room);
    }
    forget(pa_stream_cork(stream, 0, nullptr, nullptr));
    return;
  }
  // From now on it is given nothing, and corked once what it still holds (the end of the last
  // effect) has been heard.
  state->tail = new_timer(
      api_, kTailMs,
      [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* data) {
        auto* self = static_cast<PulseChatOutput*>(data);
        api->time_free(event);
        for (auto [stream, state] : {std::pair{self->mix_, &self->mix_pause_},
                                     std::pair{self->monitor_, &self->monitor_pause_}}) {
          if (state->tail != event) continue;
          state->tail = nullptr;
          if (state->wanted && stream != nullptr &&
              pa_stream_get_state(stream) == PA_STREAM_READY) {
            forget(pa_stream_cork(stream, 1, nullptr, nullptr));
          }
        }
      },
      this);
}

void PulseChatOutput::write_mix(std::size_t bytes, bool waited) {
  if (mix_pause_.wanted) return;
  // PipeWire's pulse layer asks ahead, while it still holds two of its periods, and the
  // microphone's next chunk is usually a moment away then: waiting for it (a few milliseconds at
  // most) beats keeping a chunk's worth of voice in hand all the time. PulseAudio holds less.
  if (!waited && !pulseaudio_ && voice_flowing() &&
      mixer_.voice_ready() < static_cast<int>(bytes / kFrameBytes)) {
    if (voice_wait_ == nullptr) {
      voice_wait_ = new_timer(
          api_, kVoiceWaitMs,
          [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* data) {
            auto* self = static_cast<PulseChatOutput*>(data);
            api->time_free(event);
            self->voice_wait_ = nullptr;
            if (self->mix_ != nullptr) self->write_mix(pa_stream_writable_size(self->mix_), true);
          },
          this);
    }
    return;
  }
  if (voice_wait_ != nullptr) {
    api_->time_free(voice_wait_);
    voice_wait_ = nullptr;
  }
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(mix_, &data, &size) < 0 || data == nullptr) return;
    size = std::min(size, bytes) / kFrameBytes * kFrameBytes;
    if (size == 0) {
      pa_stream_cancel_write(mix_);
      return;
    }
    const int frames = static_cast<int>(size / kFrameBytes);
    const float* effects = nullptr;
    if (effects_running_) {
      effects_buffer_.resize(2 * static_cast<std::size_t>(frames));
      effects_(effects_buffer_.data(), frames);
      effects = effects_buffer_.data();
    }
    mixer_.render(effects, static_cast<float*>(data), frames);
    if (pa_stream_write(mix_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= size;
  }
}

void PulseChatOutput::write_monitor(std::size_t bytes) {
  if (monitor_pause_.wanted) return;
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(monitor_, &data, &size) < 0 || data == nullptr) return;
    size = std::min(size, bytes) / kFrameBytes * kFrameBytes;
    if (size == 0) {
      pa_stream_cancel_write(monitor_);
      return;
    }
    mixer_.pull_monitor(static_cast<float*>(data), static_cast<int>(size / kFrameBytes));
    if (pa_stream_write(monitor_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= size;
  }
}

void PulseChatOutput::read_voice() {
  for (;;) {
    const void* data = nullptr;
    std::size_t size = 0;
    if (pa_stream_peek(voice_, &data, &size) < 0 || size == 0) return;
    // No data with a size is a gap in the recording: silence.
    mixer_.push_voice(static_cast<const float*>(data), static_cast<int>(size / kFrameBytes));
    pa_stream_drop(voice_);
    if (voice_wait_ != nullptr && mix_ != nullptr) {
      const std::size_t room = pa_stream_writable_size(mix_);
      if (room != static_cast<std::size_t>(-1) &&
          mixer_.voice_ready() >= static_cast<int>(room / kFrameBytes)) {
        write_mix(room, false);
      }
    }
  }
}

}  // namespace kalvor::audiolib
