#include "platform/hotkeys/portal_hotkey_backend.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QList>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace kalvor {

// One entry of the shortcut lists the portal takes and gives back: an id and its properties.
struct PortalShortcut {
  QString id;
  QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
  argument.beginStructure();
  argument << shortcut.id << shortcut.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
  argument.beginStructure();
  argument >> shortcut.id >> shortcut.properties;
  argument.endStructure();
  return argument;
}

}  // namespace kalvor

Q_DECLARE_METATYPE(kalvor::PortalShortcut)

namespace kalvor {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString kRegistryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
constexpr std::int32_t kVirtualKeyF1 = 0x70;
constexpr int kFunctionKeys = 10;
constexpr int kQuickCallMs = 5000;  // calls the portal answers at once, without asking anyone

// The shortcut id of a virtual-key code F1..F10 ("F1".."F10"), empty for any other key.
QString ShortcutIdOf(std::int32_t keyCode) {
  const int k = keyCode - kVirtualKeyF1;
  if (k < 0 || k >= kFunctionKeys) return {};
  return QStringLiteral("F%1").arg(k + 1);
}

QList<PortalShortcut> FunctionKeyShortcuts() {
  QList<PortalShortcut> shortcuts;
  for (int k = 0; k < kFunctionKeys; ++k) {
    const QString key = ShortcutIdOf(kVirtualKeyF1 + k);
    shortcuts.append(
        {key,
         {{QStringLiteral("description"), QStringLiteral(u"播放 %1 绑定的音效").arg(key)},
          {QStringLiteral("preferred_trigger"), key}}});
  }
  return shortcuts;
}

// Where the portal puts the request object for a call carrying this token.
QString RequestPath(const QString& uniqueName, const QString& token) {
  QString sender = uniqueName;
  if (sender.startsWith(QLatin1Char(':'))) sender.remove(0, 1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

// A handle the portal gives back either as an object path or as a string.
QString PathOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
    return value.value<QDBusObjectPath>().path();
  }
  return value.toString();
}

}  // namespace

std::unique_ptr<PortalHotkeyBackend> PortalHotkeyBackend::Connect(
    const QDBusConnection& bus, std::chrono::milliseconds answerTime) {
  if (QCoreApplication::instance() == nullptr || !bus.isConnected()) return nullptr;
  std::unique_ptr<PortalHotkeyBackend> backend(new PortalHotkeyBackend(bus, answerTime));
  // Before anything else is asked of the portal, so it knows which application is asking.
  backend->RegisterAppId();
  QDBusMessage get = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get.setArguments({kShortcutsInterface, QStringLiteral("version")});
  if (bus.call(get, QDBus::Block, kQuickCallMs).type() != QDBusMessage::ReplyMessage) {
    return nullptr;
  }
  return backend;
}

PortalHotkeyBackend::PortalHotkeyBackend(const QDBusConnection& bus,
                                         std::chrono::milliseconds answerTime)
    : bus_(bus), answerTime_(answerTime) {
  qDBusRegisterMetaType<PortalShortcut>();
  qDBusRegisterMetaType<QList<PortalShortcut>>();
  // The slots below are found by the names of their argument types, which Qt knows only once
  // each type was used.
  qRegisterMetaType<QDBusObjectPath>();
  qRegisterMetaType<QDBusMessage>();
  bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"), this,
               SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
  portalWatcher_ =
      new QDBusServiceWatcher(kPortalService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(portalWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString& oldOwner, const QString&) {
            if (!oldOwner.isEmpty()) OnPortalGone();
          });
}

PortalHotkeyBackend::~PortalHotkeyBackend() {
  ++switchCount_;
  Wake();
  if (QCoreApplication::instance() != nullptr) CloseSession();
}

void PortalHotkeyBackend::RegisterAppId() {
  QDBusMessage registration =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, kRegistryInterface, "Register");
  registration.setArguments({QString::fromLatin1(kAppId), QVariantMap()});
  // A portal without the registry, or one that knows us already, answers with an error: the
  // portal then finds the application by itself, which is as good as it gets.
  bus_.call(registration, QDBus::Block, kQuickCallMs);
  if (QDBusConnectionInterface* bus = bus_.interface()) {
    registeredWith_ = bus->serviceOwner(kPortalService).value();
  }
}

bool PortalHotkeyBackend::Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) {
  const QString key = ShortcutIdOf(keyCode);
  if (modifiers != 0 || key.isEmpty()) return false;
  if (!switchedOn_) {
    switchedOn_ = true;
    OpenSession();
  }
  if (!granted_.contains(key) || heldKeys_.contains(key)) return false;
  for (const auto& [held, heldId] : heldKeys_) {
    if (heldId == id) return false;
  }
  heldKeys_[key] = id;
  return true;
}

bool PortalHotkeyBackend::Ungrab(std::int32_t id) {
  for (auto it = heldKeys_.begin(); it != heldKeys_.end(); ++it) {
    if (it->second == id) {
      heldKeys_.erase(it);
      return true;
    }
  }
  return false;
}

void PortalHotkeyBackend::ReleasedAll() {
  ++switchCount_;
  switchedOn_ = false;
  heldKeys_.clear();
  CloseSession();
  Wake();
}

void PortalHotkeyBackend::OpenSession() {
  const QDeadlineTimer deadline(answerTime_);
  const std::uint64_t switchCount = switchCount_;
  const auto stillWanted = [this, switchCount] { return switchCount_ == switchCount; };
  portalGone_ = false;
  granted_.clear();
  QDBusConnectionInterface* busDaemon = bus_.interface();
  if (busDaemon == nullptr) return;
  const QString owner = busDaemon->serviceOwner(kPortalService).value();
  if (owner.isEmpty()) return;  // the portal is not running: these keys stay refused
  // A portal that was restarted has forgotten who we are.
  if (owner != registeredWith_) RegisterAppId();

  QVariantMap results;
  if (!Ask(QStringLiteral("CreateSession"), {},
           {{QStringLiteral("session_handle_token"), NewToken()}}, deadline, &results)) {
    return;
  }
  session_ = PathOf(results.value(QStringLiteral("session_handle")));
  if (session_.isEmpty()) return;
  bus_.connect(kPortalService, session_, kSessionInterface, QStringLiteral("Closed"), this,
               SLOT(OnSessionClosed(QVariantMap, QDBusMessage)));
  if (!stillWanted()) {
    CloseSession();
    return;
  }

  const bool bound = Ask(QStringLiteral("BindShortcuts"),
                         {QVariant::fromValue(QDBusObjectPath(session_)),
                          QVariant::fromValue(FunctionKeyShortcuts()), QString()},
                         {}, deadline, &results);
  if (!bound || !stillWanted()) {
    CloseSession();
    return;
  }
  if (session_.isEmpty()) return;  // the desktop closed the session while it was being bound
  const auto shortcuts =
      qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
  for (const PortalShortcut& shortcut : shortcuts) {
    if (!shortcut.id.isEmpty() && !granted_.contains(shortcut.id)) granted_.append(shortcut.id);
  }
}

bool PortalHotkeyBackend::Ask(const QString& method, QVariantList arguments, QVariantMap options,
                              const QDeadlineTimer& deadline, QVariantMap* results) {
  const std::uint64_t switchCount = switchCount_;
  const QString token = NewToken();
  options.insert(QStringLiteral("handle_token"), token);
  arguments.append(options);
  const QString predicted = RequestPath(bus_.baseService(), token);
  pending_ = Pending{};
  pending_.paths.append(predicted);
  // Listening before the call: the answer may be sent before the call's reply arrives.
  ListenToRequest(predicted);

  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
  call.setArguments(arguments);
  const auto callTime = std::clamp<qint64>(deadline.remainingTime(), 1, kQuickCallMs);
  QDBusPendingCall reply = bus_.asyncCall(call, static_cast<int>(callTime));
  QDBusPendingCallWatcher watcher(reply);
  connect(&watcher, &QDBusPendingCallWatcher::finished, this, &PortalHotkeyBackend::Wake);

  bool replied = false;
  QString handle = predicted;
  while (!pending_.answered && !portalGone_ && switchCount_ == switchCount &&
         !deadline.hasExpired()) {
    if (!replied && reply.isFinished()) {
      replied = true;
      if (reply.isError()) break;
      // A portal older than the handle_token convention puts the request somewhere else.
      const QString returned = PathOf(reply.reply().arguments().value(0));
      if (!returned.isEmpty() && returned != predicted) {
        handle = returned;
        pending_.paths.append(returned);
        ListenToRequest(returned);
      }
      continue;
    }
    WaitForNews(deadline);
  }
  StopListening(pending_.paths);
  if (!pending_.answered) {
    // Withdraws the question, so a dialog the desktop may be showing goes away with it.
    if (!reply.isError() && !portalGone_) {
      bus_.send(QDBusMessage::createMethodCall(kPortalService, handle, kRequestInterface,
                                               QStringLiteral("Close")));
    }
    return false;
  }
  *results = pending_.results;
  return pending_.code == 0;
}

void PortalHotkeyBackend::WaitForNews(const QDeadlineTimer& deadline) {
  QEventLoop loop;
  QEventLoop* outer = std::exchange(waitLoop_, &loop);
  QTimer timer;
  timer.setSingleShot(true);
  connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
  // The user's clicks and keys wait until the answer is in, so nothing the user does can switch
  // the hotkeys off and on again underneath this wait.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  waitLoop_ = outer;
}

void PortalHotkeyBackend::Wake() {
  if (waitLoop_ != nullptr) waitLoop_->quit();
}

void PortalHotkeyBackend::ListenToRequest(const QString& path) {
  bus_.connect(kPortalService, path, kRequestInterface, QStringLiteral("Response"), this,
               SLOT(OnResponse(uint, QVariantMap, QDBusMessage)));
}

void PortalHotkeyBackend::StopListening(const QStringList& paths) {
  for (const QString& path : paths) {
    bus_.disconnect(kPortalService, path, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(OnResponse(uint, QVariantMap, QDBusMessage)));
  }
}

void PortalHotkeyBackend::OnResponse(uint code, const QVariantMap& results,
                                     const QDBusMessage& message) {
  if (pending_.answered || !pending_.paths.contains(message.path())) return;
  pending_.answered = true;
  pending_.code = code;
  pending_.results = results;
  Wake();
}

void PortalHotkeyBackend::OnActivated(const QDBusObjectPath& session, const QString& shortcut,
                                      qulonglong, const QVariantMap&) {
  if (session_.isEmpty() || session.path() != session_ || !granted_.contains(shortcut)) return;
  const auto held = heldKeys_.find(shortcut);
  if (held != heldKeys_.end()) ReportPress(held->second);
}

void PortalHotkeyBackend::OnSessionClosed(const QVariantMap&, const QDBusMessage& message) {
  if (!session_.isEmpty() && message.path() == session_) ForgetSession();
}

void PortalHotkeyBackend::OnPortalGone() {
  portalGone_ = true;
  ForgetSession();
  Wake();
}

void PortalHotkeyBackend::CloseSession() {
  if (session_.isEmpty()) return;
  const QString session = session_;
  ForgetSession();
  if (portalGone_) return;
  // Waited for, so the bindings are gone before the program goes on (or ends).
  bus_.call(QDBusMessage::createMethodCall(kPortalService, session, kSessionInterface,
                                           QStringLiteral("Close")),
            QDBus::Block, kQuickCallMs);
}

void PortalHotkeyBackend::ForgetSession() {
  if (!session_.isEmpty()) {
    bus_.disconnect(kPortalService, session_, kSessionInterface, QStringLiteral("Closed"), this,
                    SLOT(OnSessionClosed(QVariantMap, QDBusMessage)));
  }
  session_.clear();
  granted_.clear();
}

QString PortalHotkeyBackend::NewToken() {
  return QStringLiteral("kalvor_%1_%2")
      .arg(++tokenSerial_)
      .arg(QRandomGenerator::global()->generate());
}

}  // namespace kalvor
