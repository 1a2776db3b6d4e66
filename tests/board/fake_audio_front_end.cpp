#include "tests/board/fake_audio_front_end.h"

#include "audio/audio_front_end.h"

namespace kalvor {

namespace test {
std::vector<std::string>& PlayedSoundNames() {
  static std::vector<std::string> names;
  return names;
}
}  // namespace test

AudioState& Audio() {
  static AudioState state;
  return state;
}

void PlayNamedSound(std::string_view soundName) {
  test::PlayedSoundNames().emplace_back(soundName);
}

}  // namespace kalvor
