// The toolkit-neutral half of a windowing platform: registered forms, bound handlers, the loaded
// windows by name, the handles of their native windows and controls, and the life of a window.
//
// LoadWindow brings a loaded window forward (without a second created event); otherwise it
// builds the window, raises its created event and shows it unless it is hidden; a modal window
// takes input from the others and LoadWindow returns once it is destroyed. UnloadWindow and the
// close box only ask for the destruction: it is posted and runs from the event loop, after the
// running handler has returned; the window's destroyed event runs first, then it stops being
// loaded. While a handler or dialog runs, the native windows of destroyed windows are kept, so a
// handler never loses the window it runs for.
//
// The toolkit platform derives from it, keeps its own window record (derived from FormWindow)
// and implements the hooks below: build, show and bring forward a native window, make one modal,
// run the event loop until a condition holds, post a destruction, retire and release native
// windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "platform/core/core_platform.h"
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
  // After each handler has returned.
  virtual void HandlerReturned() {}
  // After the event loop has ended, before the exit clean-up.
  virtual void EventLoopEnded() {}

 private:
  using HandlerKey = std::tuple<std::string, std::string, int>;

  void RequestDestruction(FormWindow& window);

  std::map<std::string, FormDef, std::less<>> forms_;
  WindowMap windows_;
  std::map<HandlerKey, Handler> handlers_;
  std::unordered_map<std::int32_t, Target> targets_;  // every handle of a loaded window
  std::uint64_t nextSerial_ = 1;
  int handlerDepth_ = 0;
};

}  // namespace kalvor
