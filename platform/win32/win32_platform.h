// The Win32 platform of the Windows edition: windows and controls built from the form tables with
// CreateWindowExW, their properties and events, message boxes, the open-file dialog, the shell,
// the event loop and the end of the process. Files, INI files, the archive, external libraries and
// fatal errors are the toolkit-free CorePlatform underneath; the drawing layer is GDI
// (win32_drawing_layer.h); global hotkeys go through RegisterHotKey
// (platform/hotkeys/win32_hotkey_backend.h). The process is per-monitor DPI aware: form
// coordinates are pixels at 96 DPI and are scaled to the monitor's.
//
// The forms, handlers, loaded windows and the order of a window's life are the toolkit-neutral
// FormPlatform underneath (platform/forms/form_platform.h). The native windows of a destroyed
// window are hidden at once and destroyed once no handler is running any more.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form_platform.h"
#include "platform/win32/win32_window_record.h"

namespace kalvor {

class Win32DrawingLayer;

class Win32Platform : public FormPlatform {
 public:
  // Becomes the process's platform. instance: the program's module (GetModuleHandleW(nullptr)).
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  std::int32_t ExecuteWithVerb(std::int32_t verb, std::string_view target,
                               std::string_view parameters = {}, std::string_view folder = {},
                               std::int32_t show = 2) override;

  // Global hotkeys: the process's hotkey service (HotkeyService()), with RegisterHotKey on the
  // host window of each registration.
  std::int32_t RegisterGlobalHotkey(std::int32_t hostHandle, std::int32_t receiverHandle,
                                    std::int32_t modifiers, std::int32_t keyCode) override;
  bool UnregisterGlobalHotkey(std::int32_t hostHandle, std::int32_t id) override;

  // The native window behind a handle from GetWindowHandle; nullptr for 0 or a handle that
  // belongs to no loaded window.
  HWND WindowForHandle(std::int32_t handle) const;

 protected:
  std::unique_ptr<FormWindow> NewWindow() override;
  bool BuildNative(FormWindow& window) override;
  void MakeModal(FormWindow& window) override;
  void ShowNative(FormWindow& window) override;
  void BringForward(FormWindow& window) override;
  // Takes and dispatches messages until done() says so or the queue ends (WM_QUIT, which is
  // posted again for the loops outside).
  void RunUntil(const std::function<bool()>& done) override;
  void PostDestruction(const std::string& window, std::uint64_t serial) override;
  void RetireNative(FormWindow& gone) override;
  void ReleaseRetired() override;
  FormControl* FindControl(FormWindow& window, std::string_view control) override;
  bool HasNative(const FormControl& control) const override;
  // The HWND's significant 32 bits ((HWND)(intptr_t)handle gives it back).
  std::int32_t NativeHandle(const FormWindow& window, const FormControl* control) const override;
  std::int32_t ControlInt(FormWindow& window, FormControl& control, Prop prop) override;
  void SetControlInt(FormWindow& window, FormControl& control, Prop prop,
                     std::int32_t value) override;
  std::string ControlText(FormWindow& window, FormControl& control, Prop prop) override;
  void SetControlText(FormWindow& window, FormControl& control, Prop prop,
                      std::string_view value) override;
  std::int32_t AddControlItem(FormControl& control, std::string_view text,
                              std::int32_t data) override;
  std::int32_t NativeWindowInt(FormWindow& window, Prop prop) override;
  void SetNativeWindowInt(FormWindow& window, Prop prop, std::int32_t value) override;
  void ShowCaption(FormWindow& window, std::string_view caption) override;
  std::optional<std::string> ChooseFile(FormWindow& window, const FormControl& dialog) override;
  std::int32_t ShowNativeMessageBox(FormWindow* owner, std::string_view text,
                                    std::string_view title, std::int32_t style) override;
  void OpenNativeUrl(std::string_view address) override;

 private:
  struct Retired {
    HWND hwnd = nullptr;
    std::vector<HGDIOBJ> objects;  // fonts made for it
    std::vector<HICON> icons;
  };

  static LRESULT CALLBACK FormProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);
  LRESULT FormMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Notifications a control sends its parent (clicks, picks, slider moves, colours, tab pages);
  // true with result when one was handled.
  bool Notification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Mouse messages over a window or control raise its mouse events.
  void MouseMessage(HWND hwnd, UINT message);

  Win32WindowRecord* FindWindow(std::string_view window) const;
  Win32WindowRecord* FindWindow(std::string_view window, std::uint64_t serial) const;
  using FormPlatform::TargetOf;
  const Target* TargetOf(HWND hwnd) const;
  Win32ControlRecord* ControlOf(HWND hwnd);

  void BuildControls(Win32WindowRecord& record);
  void Attach(HWND hwnd, const std::string& window, const std::string& control);
  // Sizes the window for its form at its DPI, and its fonts and controls with it.
  void FitToDpi(Win32WindowRecord& record, UINT dpi, const RECT* suggested);
  void UpdateTabPages(Win32WindowRecord& record, HWND tab);
  // The posted destruction of the window loaded with serial.
  void DestroyPosted(std::uint64_t serial);

  void SetTopMost(Win32WindowRecord& window, bool on);

  static Win32Platform* current_;
  HINSTANCE instance_;
  HWND postWindow_ = nullptr;  // receives the posted destructions
  std::unique_ptr<Win32DrawingLayer> drawing_;
  std::map<std::uint64_t, std::string> pendingDestructions_;  // by serial
  int quiet_ = 0;  // while a property is written, the control's notifications raise nothing
  std::vector<Retired> retired_;
  HWND hotkeyHost_ = nullptr;  // the host window of the registration in progress
};

}  // namespace kalvor
