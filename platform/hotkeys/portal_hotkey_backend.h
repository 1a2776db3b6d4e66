// System-wide hotkeys through the desktop portal's GlobalShortcuts interface, for Wayland sessions
// where X11 grabs only fire while an X11 window has the focus (KDE Plasma, GNOME, Hyprland).
//
// The portal binds shortcuts for a whole session at once and answers later, through the Response
// signal of a request object, possibly after asking the user. Grabs, though, are decided before
// they return. So the first Grab of a switch-on opens a session and binds F1..F10 in one go, then
// waits for the answer in a nested event loop (user input held back, at most the answer time);
// that Grab and the following ones are answered from it: a key the desktop granted is held, any
// other key, or any key with a modifier, is refused. Once every key has been released again (the
// switch went off) the session is closed; the next switch-on opens a new one.
//
// When the portal goes away, refuses, stays silent past the answer time or closes the session,
// the keys simply stop; nothing is reported, and the next switch-on tries again.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/hotkeys/hotkey_backend.h"

class QDBusMessage;
class QDBusObjectPath;
class QDBusServiceWatcher;
class QDeadlineTimer;
class QEventLoop;

namespace kalvor {

class PortalHotkeyBackend : public QObject, public HotkeyBackend {
  Q_OBJECT

 public:
  // The application id the portal knows us by: the desktop file's name.
  static constexpr const char* kAppId = "io.kalvor.Kalvor";
  // How long a switch-on waits for the desktop's answer, which may wait for the user.
  static constexpr std::chrono::milliseconds kAnswerTime{30000};

  // Registers the application id where the portal has a registry, then returns a backend when the
  // portal on this bus offers global shortcuts; nullptr otherwise (or without a QCoreApplication).
  static std::unique_ptr<PortalHotkeyBackend> Connect(
      const QDBusConnection& bus, std::chrono::milliseconds answerTime = kAnswerTime);
  ~PortalHotkeyBackend() override;

  bool Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) override;
  bool Ungrab(std::int32_t id) override;
  void ReleasedAll() override;

 private slots:
  void OnResponse(uint code, const QVariantMap& results, const QDBusMessage& message);
  void OnActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                   const QVariantMap& options);
  void OnSessionClosed(const QVariantMap& details, const QDBusMessage& message);

 private:
  struct Pending {
    QStringList paths;  // the request object's path as predicted, and as returned when it differs
    bool answered = false;
    uint code = 2;
    QVariantMap results;
  };

  PortalHotkeyBackend(const QDBusConnection& bus, std::chrono::milliseconds answerTime);

  void RegisterAppId();
  void OpenSession();
  // Calls a method of the GlobalShortcuts interface that answers through a request object, and
  // waits for that answer. True when the desktop answered with success.
  bool Ask(const QString& method, QVariantList arguments, QVariantMap options,
           const QDeadlineTimer& deadline, QVariantMap* results);
  void WaitForNews(const QDeadlineTimer& deadline);
  void Wake();
  void ListenToRequest(const QString& path);
  void StopListening(const QStringList& paths);
  void CloseSession();
  void ForgetSession();
  void OnPortalGone();
  QString NewToken();

  QDBusConnection bus_;
  std::chrono::milliseconds answerTime_;
  QDBusServiceWatcher* portalWatcher_ = nullptr;
  QString registeredWith_;   // the portal's unique name when the application id was registered
  bool switchedOn_ = false;  // a session was asked for since every key was last released
  std::uint64_t switchCount_ = 0;  // advanced by every release of all keys
  bool portalGone_ = false;
  QString session_;                           // the open session's handle, empty when none
  QStringList granted_;                       // the shortcut ids the open session holds
  std::map<QString, std::int32_t> heldKeys_;  // shortcut id ("F3") to the id it is grabbed under
  Pending pending_;
  QEventLoop* waitLoop_ = nullptr;
  int tokenSerial_ = 0;
};

}  // namespace kalvor
