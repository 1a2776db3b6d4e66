// The system's sound output as the engine uses it, one implementation per platform: it lists the
// outputs, opens one for float stereo and, while started, calls the mixer from its own thread for
// every period it needs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kalvor::audiolib {

class AudioOutput {
 public:
  // Fills `frames` frames of interleaved stereo floats.
  using Mixer = std::function<void(float* out, int frames)>;

  struct Opened {
    int rate = 0;
    int period_frames = 0;
  };

  // The platform's output.
  static std::unique_ptr<AudioOutput> create();

  virtual ~AudioOutput() = default;

  // Connects to the system's sound; false when there is none. Lists and opens need it.
  virtual bool connect() = 0;
  virtual void disconnect() = 0;
  // The outputs the system lists, in its order, as UTF-8 names (the default output is not among
  // them), and the name of the driver that lists them.
  virtual std::vector<std::string> outputs() = 0;
  virtual std::string driver() = 0;
  // Whether the system's default output can be opened, asked without keeping anything open (some
  // back ends have a default and list nothing; a system without any output has neither).
  virtual bool default_opens() = 0;

  // Opens an output stopped: listed output `index` (also known by `name`), or the system's
  // default output for index -1. The rate and period asked for may be changed by the system.
  virtual bool open(int index, const char* name, int rate, int period_frames, Mixer mixer,
                    Opened* opened) = 0;
  // Stops and closes the open output; the mixer is not called any more afterwards.
  virtual void close() = 0;

  // Only from the one thread that controls the output while it is open:
  // The mixer is called from now on.
  virtual void start() = 0;
  // The mixer is not called any more; returns once a call in progress has ended. Sound already
  // handed to the system still plays out.
  virtual void stop() = 0;
  // That thread is ending: lets go of anything stop() holds on to.
  virtual void release() {}
};

}  // namespace kalvor::audiolib
