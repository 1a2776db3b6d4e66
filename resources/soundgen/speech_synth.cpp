#include "speech_synth.h"

#include <espeak-ng/speak_lib.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "biquad.h"

namespace kalvor::soundgen {
namespace {

int Collect(short* wav, int count, espeak_EVENT* events) {
  if (wav == nullptr || count <= 0) return 0;
  auto* out = static_cast<std::vector<short>*>(events->user_data);
  out->insert(out->end(), wav, wav + count);
  return 0;
}

}  // namespace

SpeechSynth::SpeechSynth() {
  native_rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
  if (native_rate_ <= 0) throw std::runtime_error("espeak-ng could not be initialised");
  espeak_SetSynthCallback(Collect);
}

SpeechSynth::~SpeechSynth() {
  espeak_Terminate();
}

Signal SpeechSynth::Speak(std::string_view text, const SpeechParams& p) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (espeak_SetVoiceByName(p.voice.c_str()) != EE_OK) {
    throw std::runtime_error("espeak-ng has no voice " + p.voice);
  }
  espeak_SetParameter(espeakRATE, p.rate, 0);
  espeak_SetParameter(espeakPITCH, p.pitch, 0);
  espeak_SetParameter(espeakRANGE, p.range, 0);
  espeak_SetParameter(espeakWORDGAP, p.word_gap, 0);
  espeak_SetParameter(espeakVOLUME, 100, 0);
  std::srand(1);  // some voice variants draw on rand(); keep them repeatable
  std::vector<short> pcm;
  const std::string copy(text);
  espeak_Synth(copy.c_str(), copy.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &pcm);
  espeak_Synchronize();

  // Trim silence at both ends.
  std::size_t begin = 0, end = pcm.size();
  while (begin < end && std::abs(pcm[begin]) < 200) ++begin;
  while (end > begin && std::abs(pcm[end - 1]) < 200) --end;

  Signal native(end - begin);
  for (std::size_t i = 0; i < native.size(); ++i) native[i] = pcm[begin + i] / 32768.0f;
  // The library speaks at 22050 Hz; stretch to the archive rate.
  const double step = static_cast<double>(native_rate_) / kSampleRate;
  Signal out = ChangeSpeed(native, step);
  // Remove the images that interpolation leaves above the original band.
  for (double q : {0.54, 1.31}) {
    Biquad lp;
    lp.SetLowpass(10000, q);
    lp.ProcessInPlace(out);
  }
  FadeIn(out, 0.005);
  FadeOut(out, 0.01);
  return out;
}

}  // namespace kalvor::soundgen
