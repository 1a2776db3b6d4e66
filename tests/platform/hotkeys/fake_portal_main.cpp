// A desktop portal of our own for the tests, written from the published D-Bus interfaces: it owns
// org.freedesktop.portal.Desktop on the bus it is started on and offers GlobalShortcuts (version
// 1), the host Registry, and Request and Session objects. What it is asked is appended to a log,
// one tab-separated line per call:
//   Register <app id> | CreateSession <session> | BindShortcuts <session>
//   <id|trigger|description>... SessionClose <session> | RequestClose <request>
// Options pick the desktop's answer to BindShortcuts:
//   --grant all|F1,F3,...  the shortcuts granted (default all)   --refuse  the user cancelled
//   --silent  no answer at all                                   --no-registry  no Registry
//   --old-handles  request objects at paths of the portal's own choosing (as before handle tokens)
// The test drives it through io.kalvor.test.FakePortal: Activate(s id) sends Activated for the
// latest session, CloseSession() ends that session from the desktop's side.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace {

struct Shortcut {
  QString id;
  QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& s) {
  out.beginStructure();
  out << s.id << s.properties;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& s) {
  in.beginStructure();
  in >> s.id >> s.properties;
  in.endStructure();
  return in;
}

const QString kRoot = QStringLiteral("/org/freedesktop/portal/desktop");

class FakePortal : public QDBusVirtualObject {
 public:
  QString logFile;
  QStringList granted{QStringLiteral("all")};
  bool refuse = false;
  bool silent = false;
  bool registry = true;
  bool oldHandles = false;

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
    const QString interface = call.interface();
    const QString member = call.member();
    const QVariantList args = call.arguments();
    if (interface == QLatin1String("org.freedesktop.DBus.Properties") && member == "Get" &&
        args.value(0).toString() == QLatin1String("org.freedesktop.portal.GlobalShortcuts")) {
      bus.send(call.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
    } else if (interface == QLatin1String("org.freedesktop.host.portal.Registry") && registry) {
      Log({"Register", args.value(0).toString()});
      bus.send(call.createReply());
    } else if (interface == QLatin1String("org.freedesktop.portal.GlobalShortcuts") &&
               member == "CreateSession") {
      const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
      session_ = QStringLiteral("%1/session/%2/%3")
                     .arg(kRoot, Sender(call), options.value("session_handle_token").toString());
      owner_ = call.service();
      Log({"CreateSession", session_});
      const QVariant handle =
          oldHandles ? QVariant::fromValue(QDBusObjectPath(session_)) : QVariant(session_);
      Answer(call, bus, options, 0, {{QStringLiteral("session_handle"), handle}});
    } else if (interface == QLatin1String("org.freedesktop.portal.GlobalShortcuts") &&
               member == "BindShortcuts") {
      Bind(call, bus);
    } else if (interface == QLatin1String("org.freedesktop.portal.Session") && member == "Close") {
      Log({"SessionClose", call.path()});
      bus.send(call.createReply());
    } else if (interface == QLatin1String("org.freedesktop.portal.Request") && member == "Close") {
      Log({"RequestClose", call.path()});
      bus.send(call.createReply());
    } else if (interface == QLatin1String("io.kalvor.test.FakePortal")) {
      Drive(call, bus);
    } else {
      bus.send(call.createErrorReply(QDBusError::UnknownInterface, interface));
    }
    return true;
  }

 private:
  static QString Sender(const QDBusMessage& call) {
    return call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  }

  void Log(const QStringList& fields) {
    QFile file(logFile);
    if (file.open(QIODevice::Append)) file.write((fields.join('\t') + '\n').toUtf8());
  }

  void Bind(const QDBusMessage& call, const QDBusConnection& bus) {
    const QVariantList args = call.arguments();
    const QString session = qdbus_cast<QDBusObjectPath>(args.value(0)).path();
    QStringList record{"BindShortcuts", session};
    QList<Shortcut> given;
    const QDBusArgument list = args.value(1).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      Shortcut shortcut;
      list >> shortcut;
      record << QStringList{shortcut.id, shortcut.properties.value("preferred_trigger").toString(),
                            shortcut.properties.value("description").toString()}
                    .join('|');
      if (granted.contains("all") || granted.contains(shortcut.id)) {
        given.append({shortcut.id,
                      {{"description", shortcut.properties.value("description")},
                       {"trigger_description", shortcut.id}}});
      }
    }
    list.endArray();
    Log(record);
    const QVariantMap options = qdbus_cast<QVariantMap>(args.value(3));
    if (silent) {
      bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(RequestPath(call, options)))));
      return;
    }
    Answer(call, bus, options, refuse ? 1 : 0,
           refuse ? QVariantMap() : QVariantMap{{"shortcuts", QVariant::fromValue(given)}});
  }

  QString RequestPath(const QDBusMessage& call, const QVariantMap& options) {
    const QString token = oldHandles ? QStringLiteral("portal%1").arg(++serial_)
                                     : options.value("handle_token").toString();
    return QStringLiteral("%1/request/%2/%3").arg(kRoot, Sender(call), token);
  }

  // The reply carries the request object; its Response follows. With handle tokens a portal may
  // send the Response first, which a client must be ready for: done so for session creation.
  void Answer(const QDBusMessage& call, const QDBusConnection& bus, const QVariantMap& options,
              uint code, const QVariantMap& results) {
    const QString request = RequestPath(call, options);
    QDBusMessage response = QDBusMessage::createTargetedSignal(
        call.service(), request, "org.freedesktop.portal.Request", "Response");
    response << code << results;
    const QDBusMessage reply = call.createReply(QVariant::fromValue(QDBusObjectPath(request)));
    if (!oldHandles && call.member() == "CreateSession") {
      bus.send(response);
      bus.send(reply);
      return;
    }
    bus.send(reply);
    QTimer::singleShot(50, [bus, response] { QDBusConnection(bus).send(response); });
  }

  void Drive(const QDBusMessage& call, const QDBusConnection& bus) {
    if (call.member() == "Activate") {
      QDBusMessage activated = QDBusMessage::createTargetedSignal(
          owner_, kRoot, "org.freedesktop.portal.GlobalShortcuts", "Activated");
      activated << QVariant::fromValue(QDBusObjectPath(session_)) << call.arguments().value(0)
                << qulonglong(QDateTime::currentMSecsSinceEpoch()) << QVariantMap();
      bus.send(activated);
    } else if (call.member() == "CloseSession") {
      QDBusMessage closed = QDBusMessage::createTargetedSignal(
          owner_, session_, "org.freedesktop.portal.Session", "Closed");
      closed << QVariantMap();
      bus.send(closed);
    }
    // Sent after the signal, so a caller that waited for this reply has the signal queued.
    bus.send(call.createReply());
  }

  QString session_ = kRoot + "/session/none/none";
  QString owner_;
  int serial_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qDBusRegisterMetaType<Shortcut>();
  qDBusRegisterMetaType<QList<Shortcut>>();
  FakePortal portal;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--log") portal.logFile = args.value(++i);
    if (args[i] == "--grant") portal.granted = args.value(++i).split(',', Qt::SkipEmptyParts);
    if (args[i] == "--refuse") portal.refuse = true;
    if (args[i] == "--silent") portal.silent = true;
    if (args[i] == "--no-registry") portal.registry = false;
    if (args[i] == "--old-handles") portal.oldHandles = true;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerVirtualObject(kRoot, &portal, QDBusConnection::SubPath) ||
      !bus.registerService("org.freedesktop.portal.Desktop")) {
    std::fprintf(stderr, "fake portal: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  return app.exec();
}
