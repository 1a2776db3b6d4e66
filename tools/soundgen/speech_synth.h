#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

struct SpeechParams {
  std::string voice = "cmn";  // espeak-ng voice name, e.g. "cmn", "en", "en+f3", "cmn+f2"
  int rate = 160;             // words per minute
  int pitch = 50;             // 0..100
  int range = 50;             // 0..100, 0 is a monotone
  int word_gap = 0;           // extra pause between words, in 10 ms units
};

// Text to speech through espeak-ng in its synchronous mode.
//
// espeak-ng carries state from one utterance to the next (its output for a text
// depends on what it said before), so every utterance is spoken by a fresh child
// process: this program started again in its speech mode. That keeps each sound's
// bytes the same whichever sounds are rendered, and in whatever order.
class SpeechSynth {
 public:
  // program: an executable that runs RunChild first thing in main (by default this one).
  explicit SpeechSynth(std::string program = "/proc/self/exe") : program_(std::move(program)) {}

  // In the child: when argv asks for the speech mode, speaks and writes the samples to
  // stdout, sets exit_code and returns true.
  static bool RunChild(int argc, char** argv, int& exit_code);

  // Returns the spoken text at the archive rate, with the silence at both ends removed.
  Signal Speak(std::string_view text, const SpeechParams& params) const;

 private:
  std::string program_;
};

}  // namespace kalvor::soundgen
