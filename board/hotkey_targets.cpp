#include "board/hotkey_targets.h"

namespace kalvor {

HotkeyTargets& Targets() {
  static HotkeyTargets targets;
  return targets;
}

}  // namespace kalvor
