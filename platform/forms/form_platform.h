// The toolkit-neutral half of a windowing platform: registered forms, bound handlers, the loaded
// windows by name, the handles of their native windows and controls, the life of a window, which
// window or control a property call, a feedback or a dialog addresses, and the answers the test
// seam gives in place of dialogs and the shell.
//
// LoadWindow brings a loaded window forward (without a second created event); otherwise it
// builds the window, raises its created event and shows it unless it is hidden; a modal window
// takes input from the others and LoadWindow returns once it is destroyed. UnloadWindow and the
// close box only ask for the destruction: it is posted and runs from the event loop, after the
// running handler has returned; the window's destroyed event runs first, then it stops being
// loaded. While a handler or dialog runs, the native windows of destroyed windows are kept, so a
// handler never loses the window it runs for.
//
// The toolkit platform derives from it, keeps its own window and control records (derived from
// FormWindow and FormControl) and implements the hooks below: build, show and bring forward a
// native window, make one modal, run the event loop until a condition holds, post a destruction,
// retire and release native windows, read and write the properties of native windows and
// controls, run the native dialogs and open an address.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "platform/core/core_platform.h"
#include "platform/forms/form_control.h"
#include "platform/forms/form_window.h"

namespace kalvor {

class FormPlatform : public CorePlatform {
 public:
  FormPlatform();
  ~FormPlatform() override;
  FormPlatform(const FormPlatform&) = delete;
  FormPlatform& operator=(const FormPlatform&) = delete;

  void RegisterForm(const FormDef& form) override;
  void BindHandler(std::string_view window, std::string_view control, int event,
                   Handler handler) override;
  bool LoadWindow(std::string_view window, bool modal = false) override;
  void UnloadWindow(std::string_view window) override;
  bool IsWindowLoaded(std::string_view window) const override;
  int RunEventLoop() override;

  std::int32_t GetInt(std::string_view window, std::string_view control, Prop prop) override;
  void SetInt(std::string_view window, std::string_view control, Prop prop,
              std::int32_t value) override;
  std::string GetText(std::string_view window, std::string_view control, Prop prop) override;
  void SetText(std::string_view window, std::string_view control, Prop prop,
               std::string_view value) override;
  std::int32_t GetWindowHandle(std::string_view window, std::string_view control) override;
  std::int32_t AddComboItem(std::string_view window, std::string_view control,
                            std::string_view text, std::int32_t data = 0) override;
  void RaiseFeedback(std::int32_t receiverHandle, std::int32_t first, std::int32_t second) override;
  bool RunFileDialog(std::string_view window, std::string_view control) override;
  std::int32_t ShowMessageBox(std::string_view text, std::int32_t style,
                              std::string_view title = {},
                              std::string_view parentWindow = {}) override;
  void OpenUrl(std::string_view address) override;

 protected:
  // The window or control a handle belongs to.
  struct Target {
    std::string window;
    std::string control;  // the window's own name for the window itself
  };
  using WindowMap = std::map<std::string, std::unique_ptr<FormWindow>, std::less<>>;

  // Counts a running handler or dialog: while one runs, the native windows of destroyed windows
  // are kept.
  class HandlerScope {
   public:
    explicit HandlerScope(FormPlatform& platform) : depth_(platform.handlerDepth_) { ++depth_; }
    ~HandlerScope() { --depth_; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    int& depth_;
  };

  FormWindow* LoadedWindow(std::string_view window) const;
  // The window only when it is still the same load (its serial).
  FormWindow* LoadedWindow(std::string_view window, std::uint64_t serial) const;
  // Ends the process with the fatal error when the window is not loaded.
  FormWindow& WindowForProperty(std::string_view window);
  // The control a property call addresses; nullptr for the window itself. Ends the process with
  // the fatal error when the control does not exist, or has no native control for a property
  // that needs one.
  FormControl* ControlForProperty(FormWindow& window, std::string_view control, Prop prop);
  const WindowMap& Windows() const { return windows_; }
  // Forgets every window and handle without their events (the platform is going).
  void DiscardWindows();

  void AddTarget(std::int32_t handle, const std::string& window, const std::string& control);
  const Target* TargetOf(std::int32_t handle) const;

  int HandlerDepth() const { return handlerDepth_; }
  // Runs the handler bound to (window, control, event), if any.
  void Raise(const std::string& window, const std::string& control, int event,
             std::int32_t first = 0, std::int32_t second = 0);
  // The close box: the window's close event, then its destruction unless the handler unloaded
  // it already.
  void CloseRequested(const std::string& window, std::uint64_t serial);
  // The posted destruction runs here.
  void Destroy(const std::string& window, std::uint64_t serial);

  // A new, empty record of the toolkit's kind.
  virtual std::unique_ptr<FormWindow> NewWindow() = 0;
  // Builds the native window and its controls for the record (already loaded); false when the
  // window cannot be made.
  virtual bool BuildNative(FormWindow& window) = 0;
  // Other windows take no input while this one is open.
  virtual void MakeModal(FormWindow& window) = 0;
  virtual void ShowNative(FormWindow& window) = 0;
  virtual void BringForward(FormWindow& window) = 0;
  // Runs the event loop until done() holds (checked whenever a window has been destroyed).
  virtual void RunUntil(const std::function<bool()>& done) = 0;
  // Has Destroy(window, serial) run from the event loop.
  virtual void PostDestruction(const std::string& window, std::uint64_t serial) = 0;
  // The window is no longer loaded and its handles are forgotten: its native window leaves the
  // screen and is kept until ReleaseRetired.
  virtual void RetireNative(FormWindow& gone) = 0;
  // Frees the native windows of destroyed windows; called when no handler runs.
  virtual void ReleaseRetired() = 0;
  // After each handler or dialog has returned.
  virtual void HandlerReturned() {}
  // After the event loop has ended, before the exit clean-up.
  virtual void EventLoopEnded() {}

  // The window's control of that name; nullptr when it has none.
  virtual FormControl* FindControl(FormWindow& window, std::string_view control) = 0;
  // Whether the control has a native control (the archive unit and the file dialog have none).
  virtual bool HasNative(const FormControl& control) const = 0;
  // The handle of the window (control nullptr) or of one of its controls; 0 for none.
  virtual std::int32_t NativeHandle(const FormWindow& window, const FormControl* control) const = 0;
  // A control's properties, read and written on its native control.
  virtual std::int32_t ControlInt(FormWindow& window, FormControl& control, Prop prop) = 0;
  virtual void SetControlInt(FormWindow& window, FormControl& control, Prop prop,
                             std::int32_t value) = 0;
  virtual std::string ControlText(FormWindow& window, FormControl& control, Prop prop) = 0;
  virtual void SetControlText(FormWindow& window, FormControl& control, Prop prop,
                              std::string_view value) = 0;
  virtual std::int32_t AddControlItem(FormControl& control, std::string_view text,
                                      std::int32_t data) = 0;
  // The window's own position, size and disabled state.
  virtual std::int32_t NativeWindowInt(FormWindow& window, Prop prop) = 0;
  // Writes the window's position, size, visibility, disabled state or topmost layer.
  virtual void SetNativeWindowInt(FormWindow& window, Prop prop, std::int32_t value) = 0;
  virtual void ShowCaption(FormWindow& window, std::string_view caption) = 0;
  // Runs the open-file dialog starting at the dialog control's file name; the file chosen, or
  // nothing when the user cancels.
  virtual std::optional<std::string> ChooseFile(FormWindow& window, const FormControl& dialog) = 0;
  virtual std::int32_t ShowNativeMessageBox(FormWindow* owner, std::string_view text,
                                            std::string_view title, std::int32_t style) = 0;
  virtual void OpenNativeUrl(std::string_view address) = 0;

 private:
  using HandlerKey = std::tuple<std::string, std::string, int>;

  void RequestDestruction(FormWindow& window);
  std::int32_t WindowInt(FormWindow& window, Prop prop);
  void SetWindowInt(FormWindow& window, Prop prop, std::int32_t value);

  std::map<std::string, FormDef, std::less<>> forms_;
  WindowMap windows_;
  std::map<HandlerKey, Handler> handlers_;
  std::unordered_map<std::int32_t, Target> targets_;  // every handle of a loaded window
  std::uint64_t nextSerial_ = 1;
  int handlerDepth_ = 0;
};

}  // namespace kalvor
