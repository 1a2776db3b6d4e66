// The exported C functions: argument checks and byte/frame/second conversions around the engine.
#include "bass_library.h"

#include <cmath>
#include <cstdint>

#include "audio_engine.h"
#include "spectrum_analyzer.h"

using kalvor::audiolib::AudioEngine;

namespace {

constexpr uint32_t kVersion = 0x01000000u;  // 1.0.0.0
constexpr uint64_t kBadResult = ~uint64_t{0};
constexpr int kBytesPerSample = 2;

AudioEngine& engine() {
  return AudioEngine::instance();
}

// Bytes per frame of the stream's 16-bit view, 0 for a bad handle.
int64_t frame_bytes(uint32_t handle, int* rate) {
  AudioEngine::StreamFormat format{};
  if (!engine().format(handle, &format)) return 0;
  if (rate != nullptr) *rate = format.sample_rate;
  return int64_t{format.channels} * kBytesPerSample;
}

}  // namespace

extern "C" {

int BASS_Init(int device, uint32_t freq, uint32_t /*flags*/, void* /*win*/, const void* /*clsid*/) {
  return engine().init(device, freq) ? 1 : 0;
}

int BASS_Free(void) {
  return engine().free() ? 1 : 0;
}

uint32_t BASS_GetVersion(void) {
  return kVersion;
}

int BASS_GetDeviceInfo(uint32_t device, BASS_DEVICEINFO* info) {
  if (info == nullptr || device == 0 || device > INT32_MAX) return 0;
  AudioEngine::DeviceInfo found{};
  if (!engine().device_info(static_cast<int>(device), &found)) return 0;
  info->name = found.name;
  info->driver = found.driver;
  info->flags = BASS_DEVICE_ENABLED | (found.is_default ? BASS_DEVICE_DEFAULT : 0u) |
                (found.is_open ? BASS_DEVICE_INIT : 0u);
  return 1;
}

uint32_t BASS_PluginLoad(const char* /*file*/, uint32_t /*flags*/) {
  // There are no plug-ins of ours; nothing is opened, so no file can do harm here.
  return 0;
}

uint32_t BASS_StreamCreateFile(int mem, const void* file, uint64_t offset, uint64_t length,
                               uint32_t /*flags*/) {
  // Only whole files from disk; memory blocks and file sections are not supported.
  if (mem != 0 || file == nullptr || offset != 0 || length != 0) return 0;
  return engine().create_stream(static_cast<const char*>(file));
}

int BASS_StreamFree(uint32_t handle) {
  return engine().free_stream(handle) ? 1 : 0;
}

int BASS_ChannelPlay(uint32_t handle, int restart) {
  return engine().play(handle, restart != 0) ? 1 : 0;
}

int BASS_ChannelStop(uint32_t handle) {
  return engine().stop(handle) ? 1 : 0;
}

int BASS_ChannelPause(uint32_t handle) {
  return engine().pause(handle) ? 1 : 0;
}

int BASS_ChannelSetAttribute(uint32_t handle, uint32_t attrib, float value) {
  if (attrib != BASS_ATTRIB_VOL) return 0;
  return engine().set_volume(handle, value) ? 1 : 0;
}

uint64_t BASS_ChannelGetLength(uint32_t handle, uint32_t mode) {
  if (mode != BASS_POS_BYTE) return kBadResult;
  const int64_t bytes = frame_bytes(handle, nullptr);
  const int64_t frames = engine().length_frames(handle);
  if (bytes == 0 || frames < 0) return kBadResult;
  return static_cast<uint64_t>(frames * bytes);
}

uint64_t BASS_ChannelGetPosition(uint32_t handle, uint32_t mode) {
  if (mode != BASS_POS_BYTE) return kBadResult;
  const int64_t bytes = frame_bytes(handle, nullptr);
  const int64_t frames = engine().position_frames(handle);
  if (bytes == 0 || frames < 0) return kBadResult;
  return static_cast<uint64_t>(frames * bytes);
}

int BASS_ChannelSetPosition(uint32_t handle, uint64_t pos, uint32_t mode) {
  if (mode != BASS_POS_BYTE) return 0;
  const int64_t bytes = frame_bytes(handle, nullptr);
  if (bytes == 0 || pos > static_cast<uint64_t>(INT64_MAX)) return 0;
  // A position inside a frame goes to the start of that frame.
  const int64_t frame = static_cast<int64_t>(pos) / bytes;
  return engine().set_position_frames(handle, frame) ? 1 : 0;
}

double BASS_ChannelBytes2Seconds(uint32_t handle, uint64_t pos) {
  int rate = 0;
  const int64_t bytes = frame_bytes(handle, &rate);
  if (bytes == 0 || rate <= 0) return -1.0;
  return static_cast<double>(pos / static_cast<uint64_t>(bytes)) / rate;
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double pos) {
  int rate = 0;
  const int64_t bytes = frame_bytes(handle, &rate);
  if (bytes == 0 || rate <= 0) return kBadResult;
  if (!(pos > 0.0)) return 0;  // negative and NaN count as the start
  // Rounded to the nearest frame, so seconds made from a byte count come back to it.
  const double frames = std::round(pos * rate);
  if (frames >= 9.0e18 / static_cast<double>(bytes)) return kBadResult;
  return static_cast<uint64_t>(frames) * static_cast<uint64_t>(bytes);
}

uint32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
  if (length != BASS_DATA_FFT1024 || buffer == nullptr) return BASS_DATA_ERROR;
  const int64_t bytes = frame_bytes(handle, nullptr);
  if (bytes == 0) return BASS_DATA_ERROR;
  if (!engine().spectrum(handle, static_cast<float*>(buffer))) return BASS_DATA_ERROR;
  return static_cast<uint32_t>(kalvor::audiolib::SpectrumAnalyzer::kSize * bytes);
}

}  // extern "C"
