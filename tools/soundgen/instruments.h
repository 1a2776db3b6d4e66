// Pitched instruments and drums for the jingles and the music cues. Each note
// function returns the whole note including its release tail, at about unit peak.
#pragma once

#include <functional>
#include <vector>

#include "tools/soundgen/random.h"
#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

Signal SquareNote(double hz, double seconds, double duty = 0.5);
Signal TriangleNote(double hz, double seconds);
Signal PluckNote(Random& rng, double hz, double seconds);
// Two-operator FM bell; ratio 3.5 gives a glockenspiel, 1.4 a tubular chime.
Signal BellNote(double hz, double seconds, double ratio = 3.5, double index = 2.5);
Signal BrassNote(double hz, double seconds);
Signal StringsNote(double hz, double seconds);
Signal OrganNote(double hz, double seconds);
Signal PianoNote(double hz, double seconds);
Signal ReedNote(double hz, double seconds);  // nasal double reed (suona)
Signal MalletNote(double hz, double seconds);
Signal SynthBassNote(double hz, double seconds);

Signal Kick(double punch = 1.0);
Signal Snare(Random& rng);
Signal HiHat(Random& rng, bool open);
Signal Crash(Random& rng, double seconds);
Signal Tom(double hz);
Signal Timpani(Random& rng, double hz, double seconds);
Signal Gong(Random& rng, double hz, double seconds);
Signal WoodBlock(double hz);
Signal Taiko(Random& rng);
Signal Riser(Random& rng, double seconds);  // noise swell that leads into a hit

struct Note {
  double beat;   // start, in beats
  double beats;  // length, in beats
  double midi;   // MIDI note number (69 = A4)
  float level = 1.0f;
};

using NoteInstrument = std::function<Signal(double hz, double seconds)>;

// Renders the notes with the instrument into out, at the given tempo.
void PlayNotes(Signal& out, const std::vector<Note>& notes, double seconds_per_beat,
               const NoteInstrument& instrument, float gain, double offset_seconds = 0.0);
// Chord helper: one note per pitch, all starting together.
std::vector<Note> ChordNotes(double beat, double beats, std::initializer_list<double> midis,
                             float level = 1.0f);

}  // namespace kalvor::soundgen
