// HotkeyDialog: binds a function key to the sound button right-clicked last, refuses a key that a
// button already carries, and clears the whole settings file on request.
#pragma once

#include <string>

namespace kalvor {

// The hotkey label the target button had when the dialog opened ("" when it had none).
std::string& PreviousHotkeyLabel();

// Binds the dialog's created, key-picked, confirm and clear-all handlers.
void BindHotkeyDialogHandlers();

}  // namespace kalvor
