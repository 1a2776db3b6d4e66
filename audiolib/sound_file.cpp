#include "sound_file.h"

namespace kalvor::audiolib {

namespace {

constexpr int kMaxChannels = 32;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
constexpr std::int64_t kMaxFrames = std::int64_t{1} << 40;

}  // namespace

bool SoundFile::playable(std::int64_t channels, std::int64_t sample_rate, std::int64_t frames) {
  return channels >= 1 && channels <= kMaxChannels && sample_rate >= kMinRate &&
         sample_rate <= kMaxRate && frames > 0 && frames <= kMaxFrames;
}

}  // namespace kalvor::audiolib
