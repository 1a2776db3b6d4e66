// Kalvor's audio library (libbass.so on Linux, bass.dll on Windows): the functions the program
// binds by name.
//
// On Linux output goes through SDL2, files are decoded by libsndfile (MP3, WAV, FLAC, Ogg/Vorbis
// and the other formats it reads), the spectrum comes from kissfft. On Windows output goes through
// waveOut, WAV files are read by the library itself, MP3 is decoded by the Audio Compression
// Manager's MP3 codec and FLAC by Media Foundation where Windows has a FLAC decoder.
//
// Conventions of this library:
// - Device numbers start at 1. Device 1 is the system's default output, devices 2.. are the outputs
//   the audio driver lists, in its order. -1 asks for the default (device 1). Device names stay
//   valid until the process ends.
// - File names are UTF-8 (on Linux they are passed on as they are). On Windows a name that is not
//   valid UTF-8 is read in the ANSI code page.
// - Stream handles count up from 1 and are never handed out twice in a process; 0 is no stream.
//   Every call on 0, on a freed handle or on a handle from before BASS_Free fails and does nothing.
// - Byte counts and positions are those of the decoded data as 16-bit interleaved PCM at the file's
//   own sample rate and channel count: frames * channels * 2.
// - Failure values: int functions return 0, 64-bit results all ones, BASS_ChannelBytes2Seconds
//   returns -1, BASS_ChannelGetData returns 0xFFFFFFFF.
// - Volume (attribute 2) is a factor from 0 to 1; a change on a playing stream is ramped over a few
//   milliseconds so it does not click.
// - BASS_ChannelGetData(handle, buffer, 0x80000002) writes 512 floats: the magnitudes of a
//   Hann-windowed 1024-point FFT of the last 1024 frames the stream delivered to the device (mono
//   mix, at the device rate, before the stream's volume). Element 0 is bin 0 (DC). Magnitudes are
//   scaled by 2 / sum(window) (1 / sum(window) for DC), so a full-scale sine centred on a bin reads
//   1.0 there. A stream that is not playing reads as silence (all zeros). The result is the number
//   of 16-bit bytes the transform covers (1024 frames * channels * 2); other requests fail.
// - BASS_GetVersion returns 0x01000000: one byte each for major, minor, patch and build (1.0.0.0).
// - BASS_PluginLoad never loads anything (there are no plug-ins) and returns 0.
#ifndef KALVOR_AUDIOLIB_BASS_LIBRARY_H
#define KALVOR_AUDIOLIB_BASS_LIBRARY_H

#include <stdint.h>

#if defined(_WIN32)
#define BASS_EXPORT  // bass.def lists the exports
#elif defined(__GNUC__)
#define BASS_EXPORT __attribute__((visibility("default")))
#else
#define BASS_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  const char* name;
  const char* driver;
  uint32_t flags;
} BASS_DEVICEINFO;

// BASS_DEVICEINFO.flags
#define BASS_DEVICE_ENABLED 1u  // the device exists
#define BASS_DEVICE_DEFAULT 2u  // the system's default output (device 1)
#define BASS_DEVICE_INIT 4u     // the library is initialised on this device

#define BASS_ATTRIB_VOL 2u
#define BASS_POS_BYTE 0u
#define BASS_DATA_FFT1024 0x80000002u
#define BASS_DATA_ERROR 0xFFFFFFFFu

BASS_EXPORT int BASS_Init(int device, uint32_t freq, uint32_t flags, void* win, const void* clsid);
BASS_EXPORT int BASS_Free(void);
BASS_EXPORT uint32_t BASS_GetVersion(void);
BASS_EXPORT int BASS_GetDeviceInfo(uint32_t device, BASS_DEVICEINFO* info);
BASS_EXPORT uint32_t BASS_PluginLoad(const char* file, uint32_t flags);
BASS_EXPORT uint32_t BASS_StreamCreateFile(int mem, const void* file, uint64_t offset,
                                           uint64_t length, uint32_t flags);
BASS_EXPORT int BASS_StreamFree(uint32_t handle);
BASS_EXPORT int BASS_ChannelPlay(uint32_t handle, int restart);
BASS_EXPORT int BASS_ChannelStop(uint32_t handle);
BASS_EXPORT int BASS_ChannelPause(uint32_t handle);
BASS_EXPORT int BASS_ChannelSetAttribute(uint32_t handle, uint32_t attrib, float value);
BASS_EXPORT uint64_t BASS_ChannelGetLength(uint32_t handle, uint32_t mode);
BASS_EXPORT uint64_t BASS_ChannelGetPosition(uint32_t handle, uint32_t mode);
BASS_EXPORT int BASS_ChannelSetPosition(uint32_t handle, uint64_t pos, uint32_t mode);
BASS_EXPORT double BASS_ChannelBytes2Seconds(uint32_t handle, uint64_t pos);
BASS_EXPORT uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double pos);
BASS_EXPORT uint32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif  // KALVOR_AUDIOLIB_BASS_LIBRARY_H
