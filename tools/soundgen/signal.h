// Mono sample buffers at the archive's rate and the small operations every recipe
// needs: mixing at a time offset, fades, envelopes, speed changes and measurement.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kalvor::soundgen {

inline constexpr int kSampleRate = 44100;
inline constexpr double kDt = 1.0 / kSampleRate;

using Signal = std::vector<float>;

std::size_t ToSamples(double seconds);
double Seconds(const Signal& s);
Signal Silence(double seconds);

// Renders fn(t) for t = 0, dt, 2 dt, ... over the given length.
Signal Render(double seconds, const std::function<float(double)>& fn);

// Adds src into dst starting at the given time; dst grows to fit.
void MixInto(Signal& dst, const Signal& src, double at_seconds, float gain = 1.0f);
// Appends src after the current end of dst (plus an optional gap).
void Append(Signal& dst, const Signal& src, double gap_seconds = 0.0);
void Scale(Signal& s, float gain);
void FadeIn(Signal& s, double seconds);
void FadeOut(Signal& s, double seconds);
void Trim(Signal& s, double seconds);
// Drops everything before the first sample whose magnitude reaches `level`; a signal that never
// gets there is left as it is.
void TrimStart(Signal& s, float level);
void PadTo(Signal& s, double seconds);

// Multiplies by a piecewise-linear envelope given as (time, level) points; the level
// holds its last value after the last point.
void ApplyEnvelope(Signal& s, std::initializer_list<std::pair<double, double>> points);
void ApplyEnvelope(Signal& s, const std::vector<std::pair<double, double>>& points);
double EnvelopeAt(const std::vector<std::pair<double, double>>& points, double t);

// Plays the signal at a different speed (2 = an octave up and half as long), with
// cubic interpolation and a low-pass in front when speeding up.
Signal ChangeSpeed(const Signal& s, double speed);
// Like ChangeSpeed but the speed follows a function of the output time.
Signal VarySpeed(const Signal& s, const std::function<double(double)>& speed_at);

// Soft saturation: tanh(drive x) / tanh(drive).
void Saturate(Signal& s, float drive);
// Feedback echo: repeats after delay_seconds, each one feedback times the last.
Signal Echo(const Signal& s, double delay_seconds, float feedback, int repeats, float lowpass_hz);

// Scales the signal so its RMS over the non-silent part is the given value.
void ScaleToActiveRms(Signal& s, double rms);

float Peak(const Signal& s);
double Rms(const Signal& s);
double DbToGain(double db);
double GainToDb(double gain);
double MidiToHz(double midi);

}  // namespace kalvor::soundgen
