// The board as the program starts it: its five windows registered with the platform and every
// handler of every window bound, before any window is loaded.
#pragma once

namespace kalvor {

class PlatformServices;

class BoardSetup {
 public:
  static void Prepare(PlatformServices& platform);
};

}  // namespace kalvor
