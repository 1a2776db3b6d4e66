#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "signal.h"

namespace kalvor::soundgen {

struct SpeechParams {
  std::string voice = "cmn";  // espeak-ng voice name, e.g. "cmn", "en", "en+f3", "cmn+f2"
  int rate = 160;             // words per minute
  int pitch = 50;             // 0..100
  int range = 50;             // 0..100, 0 is a monotone
  int word_gap = 0;           // extra pause between words, in 10 ms units
};

// Text to speech through espeak-ng in its synchronous mode. espeak-ng keeps global
// state, so every call is serialised; the result is resampled to the archive rate.
class SpeechSynth {
 public:
  SpeechSynth();
  ~SpeechSynth();
  SpeechSynth(const SpeechSynth&) = delete;
  SpeechSynth& operator=(const SpeechSynth&) = delete;

  // Returns the spoken text with leading and trailing silence removed.
  Signal Speak(std::string_view text, const SpeechParams& params);

 private:
  std::mutex mutex_;
  int native_rate_ = 22050;
};

}  // namespace kalvor::soundgen
