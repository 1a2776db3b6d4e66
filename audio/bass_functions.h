// The functions of our audio library, bound by name on their first call through the platform's
// external-function binding. A missing library or function ends the program with a fatal error
// that names both.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform_services.h"

namespace kalvor::bass {

inline constexpr std::string_view kLibrary = "libbass.so";

inline constexpr std::uint32_t kAttribVolume = 2;
inline constexpr std::uint32_t kPosBytes = 0;
inline constexpr std::uint32_t kDataFft1024 = 0x80000002u;
inline constexpr std::uint32_t kDataError = 0xFFFFFFFFu;
inline constexpr std::uint32_t kPluginUnicode = 1;

struct DeviceInfo {
  const char* name;
  const char* driver;
  std::uint32_t flags;
};

inline int Init(int device, std::uint32_t freq, std::uint32_t flags, void* window,
                const void* classId) {
  return CallExternal<int(int, std::uint32_t, std::uint32_t, void*, const void*)>(
      kLibrary, "BASS_Init", device, freq, flags, window, classId);
}
inline int Free() {
  return CallExternal<int()>(kLibrary, "BASS_Free");
}
inline std::uint32_t GetVersion() {
  return CallExternal<std::uint32_t()>(kLibrary, "BASS_GetVersion");
}
inline int GetDeviceInfo(std::uint32_t device, DeviceInfo* info) {
  return CallExternal<int(std::uint32_t, DeviceInfo*)>(kLibrary, "BASS_GetDeviceInfo", device,
                                                       info);
}
inline std::uint32_t PluginLoad(const char* file, std::uint32_t flags) {
  return CallExternal<std::uint32_t(const char*, std::uint32_t)>(kLibrary, "BASS_PluginLoad", file,
                                                                 flags);
}
inline std::uint32_t StreamCreateFile(int mem, const void* file, std::uint64_t offset,
                                      std::uint64_t length, std::uint32_t flags) {
  return CallExternal<std::uint32_t(int, const void*, std::uint64_t, std::uint64_t, std::uint32_t)>(
      kLibrary, "BASS_StreamCreateFile", mem, file, offset, length, flags);
}
inline int StreamFree(std::uint32_t handle) {
  return CallExternal<int(std::uint32_t)>(kLibrary, "BASS_StreamFree", handle);
}
inline int ChannelPlay(std::uint32_t handle, int restart) {
  return CallExternal<int(std::uint32_t, int)>(kLibrary, "BASS_ChannelPlay", handle, restart);
}
inline int ChannelStop(std::uint32_t handle) {
  return CallExternal<int(std::uint32_t)>(kLibrary, "BASS_ChannelStop", handle);
}
inline int ChannelPause(std::uint32_t handle) {
  return CallExternal<int(std::uint32_t)>(kLibrary, "BASS_ChannelPause", handle);
}
inline int ChannelSetAttribute(std::uint32_t handle, std::uint32_t attrib, float value) {
  return CallExternal<int(std::uint32_t, std::uint32_t, float)>(
      kLibrary, "BASS_ChannelSetAttribute", handle, attrib, value);
}
inline std::uint64_t ChannelGetLength(std::uint32_t handle, std::uint32_t mode) {
  return CallExternal<std::uint64_t(std::uint32_t, std::uint32_t)>(
      kLibrary, "BASS_ChannelGetLength", handle, mode);
}
inline std::uint64_t ChannelGetPosition(std::uint32_t handle, std::uint32_t mode) {
  return CallExternal<std::uint64_t(std::uint32_t, std::uint32_t)>(
      kLibrary, "BASS_ChannelGetPosition", handle, mode);
}
inline int ChannelSetPosition(std::uint32_t handle, std::uint64_t pos, std::uint32_t mode) {
  return CallExternal<int(std::uint32_t, std::uint64_t, std::uint32_t)>(
      kLibrary, "BASS_ChannelSetPosition", handle, pos, mode);
}
inline double ChannelBytes2Seconds(std::uint32_t handle, std::uint64_t pos) {
  return CallExternal<double(std::uint32_t, std::uint64_t)>(kLibrary, "BASS_ChannelBytes2Seconds",
                                                            handle, pos);
}
inline std::uint64_t ChannelSeconds2Bytes(std::uint32_t handle, double pos) {
  return CallExternal<std::uint64_t(std::uint32_t, double)>(kLibrary, "BASS_ChannelSeconds2Bytes",
                                                            handle, pos);
}
inline std::uint32_t ChannelGetData(std::uint32_t handle, void* buffer, std::uint32_t length) {
  return CallExternal<std::uint32_t(std::uint32_t, void*, std::uint32_t)>(
      kLibrary, "BASS_ChannelGetData", handle, buffer, length);
}

}  // namespace kalvor::bass
