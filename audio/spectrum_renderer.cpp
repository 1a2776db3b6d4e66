// The spectrum drawing of the player. Nothing in the program draws a spectrum yet; until the
// drawing layer exists a frame draws nothing.
#include "audio/audio_player.h"

namespace kalvor {

void AudioPlayer::DrawSpectrum(std::string_view, std::string_view, std::uint32_t) {}

void AudioPlayer::FillGradient(std::intptr_t, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace kalvor
