// The Qt Widgets platform: windows and controls built from form tables, their properties and
// events, message boxes, the file dialog, the shell, the event loop and the end of the process.
// The forms, handlers, loaded windows and the order of a window's life are the toolkit-neutral
// FormPlatform underneath (platform/forms/form_platform.h); files, INI files, the archive,
// external libraries and fatal errors the toolkit-free CorePlatform under that. The widgets of a
// destroyed window are hidden at once and deleted once no handler is running any more.
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form_platform.h"
#include "platform/qt/qt_window_record.h"

class QApplication;
class QEventLoop;
class QWidget;

namespace kalvor {

class QtEventRouter;

class QtPlatform : public FormPlatform {
 public:
  // Creates the QApplication unless one exists, and becomes the process's platform.
  QtPlatform(int& argc, char** argv);
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  std::int32_t ExecuteWithVerb(std::int32_t verb, std::string_view target,
                               std::string_view parameters = {}, std::string_view folder = {},
                               std::int32_t show = 2) override;

  // Global hotkeys: the hotkey service plugs in here. Until it does, every key is refused.
  std::int32_t RegisterGlobalHotkey(std::int32_t hostHandle, std::int32_t receiverHandle,
                                    std::int32_t modifiers, std::int32_t keyCode) override;
  bool UnregisterGlobalHotkey(std::int32_t hostHandle, std::int32_t id) override;

  // The widget behind a handle from GetWindowHandle; nullptr for 0, an unknown handle or a
  // widget that is gone. For the drawing layer and the hotkey service.
  QWidget* WidgetForHandle(std::int32_t handle) const;

 protected:
  std::unique_ptr<FormWindow> NewWindow() override;
  bool BuildNative(FormWindow& window) override;
  void MakeModal(FormWindow& window) override;
  void ShowNative(FormWindow& window) override;
  void BringForward(FormWindow& window) override;
  void RunUntil(const std::function<bool()>& done) override;
  void PostDestruction(const std::string& window, std::uint64_t serial) override;
  void RetireNative(FormWindow& gone) override;
  void ReleaseRetired() override;
  void HandlerReturned() override;
  void EventLoopEnded() override;
  FormControl* FindControl(FormWindow& window, std::string_view control) override;
  bool HasNative(const FormControl& control) const override;
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
  // An event loop waiting for its condition.
  struct Wait {
    QEventLoop* loop;
    const std::function<bool()>* done;
  };

  QtWindowRecord* FindWindow(std::string_view window) const;
  QtWindowRecord* FindWindow(std::string_view window, std::uint64_t serial) const;
  std::int32_t NewHandle(const std::string& window, const std::string& control);

  void SetTopMost(QtWindowRecord& window, bool on);

  std::unique_ptr<QApplication> ownedApp_;
  std::unique_ptr<QtEventRouter> router_;
  std::int32_t nextHandle_ = 1;
  std::vector<QPointer<QWidget>> retired_;  // widgets of destroyed windows awaiting deletion
  std::vector<Wait> waits_;                 // innermost last
};

}  // namespace kalvor
