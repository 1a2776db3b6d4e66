#pragma once

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

// A mono Schroeder/Freeverb-style room: eight damped combs and four all-passes.
class Reverb {
 public:
  // room: 0 (small) .. 1 (hall); damping: 0 (bright) .. 1 (dark).
  Reverb(double room, double damping);

  // Returns dry * input + wet * room, with tail_seconds of tail appended.
  Signal Process(const Signal& in, float dry, float wet, double tail_seconds,
                 double predelay_seconds = 0.0);

 private:
  double feedback_;
  double damping_;
};

}  // namespace kalvor::soundgen
