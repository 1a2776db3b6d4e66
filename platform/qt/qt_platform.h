// The Qt Widgets platform: windows and controls built from form tables, their properties and
// events, message boxes, the file dialog, the shell, the event loop and the end of the process.
// Everything else (files, INI files, the archive, external libraries, fatal errors) is the
// toolkit-free CorePlatform underneath.
//
// Windows live from LoadWindow until their destruction. UnloadWindow and the close box only ask
// for it: the destruction is posted and runs from the event loop, after the running handler has
// returned; the window's destroyed event runs first, then it stops being loaded. Its widgets are
// deleted once no handler is running any more, so a handler never loses the widget it runs for.
#pragma once

#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/core/core_platform.h"
#include "platform/qt/qt_window_record.h"

class QApplication;
class QEventLoop;
class QWidget;

namespace kalvor {

class QtEventRouter;

class QtPlatform : public CorePlatform {
 public:
  // Creates the QApplication unless one exists, and becomes the process's platform.
  QtPlatform(int& argc, char** argv);
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  void RegisterForm(const FormDef& form) override;
  void BindHandler(std::string_view window, std::string_view control, int event,
                   Handler handler) override;
  bool LoadWindow(std::string_view window, bool modal = false) override;
  void UnloadWindow(std::string_view window) override;
  bool IsWindowLoaded(std::string_view window) const override;

  std::int32_t GetInt(std::string_view window, std::string_view control, Prop prop) override;
  void SetInt(std::string_view window, std::string_view control, Prop prop,
              std::int32_t value) override;
  std::string GetText(std::string_view window, std::string_view control, Prop prop) override;
  void SetText(std::string_view window, std::string_view control, Prop prop,
               std::string_view value) override;
  std::int32_t GetWindowHandle(std::string_view window, std::string_view control) override;
  std::int32_t AddComboItem(std::string_view window, std::string_view control,
                            std::string_view text, std::int32_t data = 0) override;
  bool RunFileDialog(std::string_view window, std::string_view control) override;
  std::int32_t ShowMessageBox(std::string_view text, std::int32_t style,
                              std::string_view title = {},
                              std::string_view parentWindow = {}) override;
  int RunEventLoop() override;
  void RaiseFeedback(std::int32_t receiverHandle, std::int32_t first, std::int32_t second) override;

  void OpenUrl(std::string_view address) override;
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

 private:
  struct HandleOwner {
    std::string window;
    std::string control;  // the window's own name for the window itself
    QPointer<QWidget> widget;
  };
  using HandlerKey = std::tuple<std::string, std::string, int>;

  QtWindowRecord* FindWindow(std::string_view window) const;
  QtWindowRecord* FindWindow(std::string_view window, std::uint64_t serial) const;
  // The control a property call addresses; nullptr for the window itself. Ends the process with
  // the fatal error when the window is not loaded or the control does not exist.
  QtControlRecord* ControlForProperty(QtWindowRecord& window, std::string_view control, Prop prop);
  QtWindowRecord& WindowForProperty(std::string_view window);

  void BuildWindow(QtWindowRecord& record);
  std::int32_t NewHandle(const std::string& window, const std::string& control, QWidget* widget);
  void BringForward(QtWindowRecord& record);

  // Runs the handler bound to (window, control, event), if any.
  void Raise(const std::string& window, const std::string& control, int event,
             std::int32_t first = 0, std::int32_t second = 0);
  void RequestDestruction(QtWindowRecord& record);
  void CloseRequested(const std::string& window, std::uint64_t serial);
  void Destroy(const std::string& window, std::uint64_t serial);
  void DeleteRetiredWidgets();

  std::int32_t GetWindowInt(QtWindowRecord& window, Prop prop);
  void SetWindowInt(QtWindowRecord& window, Prop prop, std::int32_t value);
  void SetTopMost(QtWindowRecord& window, bool on);

  std::unique_ptr<QApplication> ownedApp_;
  std::unique_ptr<QtEventRouter> router_;
  std::map<std::string, FormDef, std::less<>> forms_;
  std::map<std::string, std::unique_ptr<QtWindowRecord>, std::less<>> windows_;
  std::map<HandlerKey, Handler> handlers_;
  std::unordered_map<std::int32_t, HandleOwner> handles_;
  std::int32_t nextHandle_ = 1;
  std::uint64_t nextSerial_ = 1;
  int handlerDepth_ = 0;
  std::vector<QPointer<QWidget>> retired_;  // widgets of destroyed windows awaiting deletion
  QEventLoop* runLoop_ = nullptr;
};

}  // namespace kalvor
