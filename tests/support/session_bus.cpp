#include "tests/support/session_bus.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QFile>

namespace kalvor::test {

SessionBus::~SessionBus() {
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000)) daemon_.kill();
    daemon_.waitForFinished(5000);
  }
}

bool SessionBus::Start() {
  if (!folder_.isValid()) {
    error_ = "no temporary folder";
    return false;
  }
  const QString config = folder_.filePath("bus.conf");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) {
    error_ = "cannot write the bus configuration";
    return false;
  }
  file.write(("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig><type>session</type><listen>unix:dir=" +
              folder_.path() +
              "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
              "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
              "<allow own=\"*\"/></policy></busconfig>\n")
                 .toUtf8());
  file.close();
  daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  // A test killed on its timeout takes its bus with it.
  daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  daemon_.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
  if (!daemon_.waitForStarted(10000)) {
    error_ = "dbus-daemon did not start (package dbus-daemon)";
    return false;
  }
  while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
  }
  address_ = daemon_.readLine().trimmed().toStdString();
  if (address_.empty()) error_ = "dbus-daemon gave no address";
  return !address_.empty();
}

}  // namespace kalvor::test
