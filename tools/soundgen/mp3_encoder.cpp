#include "tools/soundgen/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace kalvor::soundgen {
namespace {

struct LameCloser {
  void operator()(lame_global_flags* gf) const { lame_close(gf); }
};

}  // namespace

Mp3Encoder::Mp3Encoder(int vbr_quality) : vbr_quality_(vbr_quality) {}

std::vector<std::uint8_t> Mp3Encoder::Encode(const Signal& samples) const {
  std::unique_ptr<lame_global_flags, LameCloser> gf(lame_init());
  if (!gf) throw std::runtime_error("lame_init failed");
  lame_set_num_channels(gf.get(), 1);
  lame_set_mode(gf.get(), MONO);
  lame_set_in_samplerate(gf.get(), kSampleRate);
  lame_set_out_samplerate(gf.get(), kSampleRate);
  lame_set_VBR(gf.get(), vbr_default);
  lame_set_VBR_quality(gf.get(), static_cast<float>(vbr_quality_));
  lame_set_quality(gf.get(), 5);
  lame_set_bWriteVbrTag(gf.get(), 1);
  lame_set_write_id3tag_automatic(gf.get(), 0);
  if (lame_init_params(gf.get()) < 0) throw std::runtime_error("lame_init_params failed");

  std::vector<std::uint8_t> out;
  constexpr std::size_t kChunk = 8192;
  std::vector<unsigned char> buffer(kChunk * 5 / 4 + 7200);
  for (std::size_t pos = 0; pos < samples.size(); pos += kChunk) {
    const int n = static_cast<int>(std::min(kChunk, samples.size() - pos));
    const int written = lame_encode_buffer_ieee_float(
        gf.get(), samples.data() + pos, nullptr, n, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) throw std::runtime_error("lame_encode_buffer failed");
    out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  const int tail = lame_encode_flush(gf.get(), buffer.data(), static_cast<int>(buffer.size()));
  if (tail < 0) throw std::runtime_error("lame_encode_flush failed");
  out.insert(out.end(), buffer.begin(), buffer.begin() + tail);

  // The first frame was reserved for the info tag; fill it in now that the totals are known.
  std::vector<unsigned char> tag(8192);
  const std::size_t tag_size = lame_get_lametag_frame(gf.get(), tag.data(), tag.size());
  if (tag_size == 0 || tag_size > out.size()) throw std::runtime_error("no LAME info frame");
  std::copy(tag.begin(), tag.begin() + static_cast<long>(tag_size), out.begin());
  return out;
}

double Mp3Encoder::DecodedPeak(const std::vector<std::uint8_t>& mp3) {
  // LAME's decoder rebuilds tables it shares between all its instances whenever one starts:
  // decoding on two threads at once gives garbage peaks now and then.
  static std::mutex one_at_a_time;
  const std::lock_guard lock(one_at_a_time);
  hip_t hip = hip_decode_init();
  if (hip == nullptr) throw std::runtime_error("hip_decode_init failed");
  std::vector<unsigned char> data(mp3.begin(), mp3.end());
  std::vector<short> left(1152 * 4), right(1152 * 4);
  int peak = 0;
  // The first call takes all the data; each call then returns at most one frame, or 0
  // for a frame without samples (the info frame) or when the data is used up.
  int n = hip_decode1(hip, data.data(), data.size(), left.data(), right.data());
  for (int empty = 0; n >= 0 && empty < 3;) {
    empty = n == 0 ? empty + 1 : 0;
    for (int i = 0; i < n; ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(left[static_cast<std::size_t>(i)])));
    }
    n = hip_decode1(hip, nullptr, 0, left.data(), right.data());
  }
  hip_decode_exit(hip);
  if (n < 0) throw std::runtime_error("the MP3 does not decode");
  return peak / 32768.0;
}

}  // namespace kalvor::soundgen
