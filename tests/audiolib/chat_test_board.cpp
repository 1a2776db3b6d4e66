// A stand-in for the board in a process of its own, for the tests that end it: it reads one
// command a line from standard input and answers each on standard output.
//   open        opens the virtual microphone (the last device): "ok" or "fail"
//   play PATH   plays a file: "ok" or "fail"
//   exit        ends the process normally, without closing the device
//   abandon     ends it at once, the way the program leaves on a fatal error (_exit)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "audiolib/bass_library.h"

int main() {
  std::printf("ready\n");
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
    bool ok = false;
    if (line == "open") {
      BASS_DEVICEINFO info{};
      uint32_t last = 0;
      while (BASS_GetDeviceInfo(last + 1, &info) != 0) ++last;
      ok = last > 0 && BASS_Init(static_cast<int>(last), 44100, 0, nullptr, nullptr) != 0;
    } else if (line.rfind("play ", 0) == 0) {
      const uint32_t stream = BASS_StreamCreateFile(0, line.c_str() + 5, 0, 0, 0);
      ok = stream != 0 && BASS_ChannelPlay(stream, 1) != 0;
    } else if (line == "exit") {
      std::exit(0);
    } else if (line == "abandon") {
      _exit(3);
    }
    std::printf("%s\n", ok ? "ok" : "fail");
    std::fflush(stdout);
  }
  return 0;
}
