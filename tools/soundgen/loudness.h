// Level matching for the finished effects: every file gets about the same perceived
// loudness and stays clear of full scale.
#pragma once

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

// Gated, roughly K-weighted loudness in dB relative to full scale (LUFS-like).
double Loudness(const Signal& s);

// Brings the signal to target_db loudness with a look-ahead peak limiter holding
// every sample under ceiling_db; the limiter takes off at most max_reduction_db, and
// beyond that the whole signal is turned down instead.
void Normalise(Signal& s, double target_db, double ceiling_db, double max_reduction_db);

}  // namespace kalvor::soundgen
