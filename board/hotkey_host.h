// The invisible HotkeyHostWindow and the hotkey switch 选择框1 of the main window. While the host
// window exists, F1..F10 are registered as system-wide hotkeys; a press plays the sound bound to
// the key in [dat] of the settings file, looked up at the moment of the press.
#pragma once

#include <array>
#include <cstdint>

namespace kalvor {

struct HotkeyHostState {
  std::int32_t loaded = 0;             // 1 from the host's created handler to its closing one
  std::array<std::int32_t, 10> ids{};  // F1..F10: the latest id, 0 when the key was refused
};

HotkeyHostState& HotkeyHost();

// Binds the host window's created, destroyed and feedback handlers and the switch's click.
void BindHotkeyHostHandlers();

// Start-up: with the switch stored as exactly 1, loads the host window and ticks the switch.
void HotkeyStartStep(std::int32_t hotkeySwitch);
// Main window destroyed: unloads the host window when it is loaded.
void HotkeyStopStep();

}  // namespace kalvor
