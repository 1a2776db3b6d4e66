#include "sndfile_decoder.h"

#include <ogg/ogg.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <vorbis/codec.h>

#include <cstdio>
#include <cstring>

namespace kalvor::audiolib {

namespace {

bool starts_with_ogg_page(std::FILE* file) {
  char magic[4] = {};
  const bool ogg = std::fread(magic, 1, 4, file) == 4 && std::memcmp(magic, "OggS", 4) == 0;
  std::rewind(file);
  return ogg;
}

// libsndfile's Vorbis reader leaks its codec setup when a file ends inside its header pages or a
// header does not decode, so Ogg files are checked first: the first logical stream must hold
// three whole packets (for Vorbis the three headers, which must decode, for Opus its two headers
// and some audio). Reads only that far.
bool ogg_headers_complete(std::FILE* file) {
  constexpr int kPackets = 3;
  constexpr long kReadSize = 4096;
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  ogg_stream_state stream;
  bool have_stream = false;
  int packets = 0;
  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  bool vorbis = false;
  bool headers_decode = true;
  while (packets < kPackets) {
    ogg_page page;
    if (ogg_sync_pageout(&sync, &page) == 1) {
      if (!have_stream) {
        ogg_stream_init(&stream, ogg_page_serialno(&page));
        have_stream = true;
      }
      if (ogg_stream_pagein(&stream, &page) != 0) continue;  // another logical stream
      ogg_packet packet;
      int got = 0;
      while (packets < kPackets && (got = ogg_stream_packetout(&stream, &packet)) != 0) {
        if (got != 1) continue;
        if (packets == 0) {
          vorbis = packet.bytes >= 7 && std::memcmp(packet.packet, "\x01vorbis", 7) == 0;
        }
        if (vorbis && vorbis_synthesis_headerin(&info, &comment, &packet) != 0) {
          headers_decode = false;
        }
        ++packets;
      }
      continue;
    }
    char* buffer = ogg_sync_buffer(&sync, kReadSize);
    const std::size_t read = std::fread(buffer, 1, kReadSize, file);
    if (read == 0) break;
    ogg_sync_wrote(&sync, static_cast<long>(read));
  }
  if (have_stream) ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return packets == kPackets && headers_decode;
}

// Whether libsndfile may be given this file.
bool worth_opening(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  const bool ok = !starts_with_ogg_page(file) || ogg_headers_complete(file);
  std::fclose(file);
  return ok;
}

}  // namespace

std::unique_ptr<SoundFile> SndfileDecoder::open(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  // A folder, a pipe or a device would make libsndfile fail late or block: only regular files.
  struct stat st {};
  if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return nullptr;
  if (!worth_opening(path)) return nullptr;

  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) return nullptr;
  // libsndfile reports SF_COUNT_MAX when it cannot tell the length (an Ogg file cut inside its
  // audio pages, for one): such files are refused along with those that describe no audio.
  if (!playable(info.channels, info.samplerate, info.frames)) {
    sf_close(file);
    return nullptr;
  }
  return std::unique_ptr<SoundFile>(new SndfileDecoder(file, info.channels, info.samplerate,
                                                       static_cast<std::int64_t>(info.frames)));
}

SndfileDecoder::SndfileDecoder(SNDFILE* file, int channels, int sample_rate, std::int64_t frames)
    : SoundFile(channels, sample_rate, frames), file_(file) {}

SndfileDecoder::~SndfileDecoder() {
  sf_close(file_);
}

std::int64_t SndfileDecoder::read(float* interleaved, std::int64_t count) {
  const sf_count_t got = sf_readf_float(file_, interleaved, count);
  return got < 0 ? 0 : static_cast<std::int64_t>(got);
}

bool SndfileDecoder::seek(std::int64_t frame) {
  return sf_seek(file_, frame, SEEK_SET) == frame;
}

}  // namespace kalvor::audiolib
