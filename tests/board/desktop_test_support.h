// Shared by the hotkey tests that run on the real Qt platform (offscreen) with the board's forms:
// the process-wide set-up lives in desktop_test_main.cpp.
#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace kalvor::test {

// The widget of a control of a loaded window.
QWidget* Widget(std::string_view window, std::string_view control);
// The settings file's bytes as stored ("" when there is none).
std::string RawSettings();

}  // namespace kalvor::test
