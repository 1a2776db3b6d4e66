// The functions the program binds by name from our audio library: exactly these are exported.
#pragma once

#include <set>
#include <string>

namespace kalvor::test {

inline const std::set<std::string> kLibraryFunctions = {
    "BASS_Init",
    "BASS_Free",
    "BASS_GetVersion",
    "BASS_GetDeviceInfo",
    "BASS_PluginLoad",
    "BASS_StreamCreateFile",
    "BASS_StreamFree",
    "BASS_ChannelPlay",
    "BASS_ChannelStop",
    "BASS_ChannelPause",
    "BASS_ChannelSetAttribute",
    "BASS_ChannelGetLength",
    "BASS_ChannelGetPosition",
    "BASS_ChannelSetPosition",
    "BASS_ChannelBytes2Seconds",
    "BASS_ChannelSeconds2Bytes",
    "BASS_ChannelGetData",
};

}  // namespace kalvor::test
