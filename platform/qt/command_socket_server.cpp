#include "platform/qt/command_socket_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <QTimer>
#include <cerrno>
#include <memory>
#include <utility>

namespace kalvor {
namespace {

constexpr qint64 kLongestRequest = 256;
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;

std::string SocketFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return (runtime + QStringLiteral("/kalvor")).toStdString();
  return (QDir::tempPath() + QStringLiteral("/kalvor-") + QString::number(::getuid()))
      .toStdString();
}

// Makes the folder when it is missing. True when it is a real folder (not a link) that belongs to
// this user and that nobody else may enter; rights that are too wide are narrowed first.
bool MakePrivateFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    return false;
  }
  return (info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

}  // namespace

CommandSocketServer::CommandSocketServer(Handler handler) : handler_(std::move(handler)) {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &CommandSocketServer::Accept);
}

CommandSocketServer::~CommandSocketServer() = default;

std::string CommandSocketServer::SocketPath() {
  return SocketFolder() + "/command";
}

bool CommandSocketServer::Listen() {
  if (!MakePrivateFolder(SocketFolder())) return false;
  const QString path = QString::fromStdString(SocketPath());
  if (server_->listen(path)) return true;
  if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
  QLocalSocket probe;
  probe.connectToServer(path);
  if (probe.waitForConnected(kConnectMs)) return false;  // another board answers there
  QLocalServer::removeServer(path);  // left behind by a board that did not end normally
  return server_->listen(path);
}

bool CommandSocketServer::Listening() const {
  return server_->isListening();
}

void CommandSocketServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    // A sender that never completes its line is not waited for.
    QTimer::singleShot(kAnswerMs, socket, [socket] { socket->abort(); });
    Read(socket);
  }
}

void CommandSocketServer::Read(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kLongestRequest) socket->abort();
    return;
  }
  const std::string request = socket->readLine(kLongestRequest + 1).trimmed().toStdString();
  socket->disconnect(this);  // one request per connection
  Action action = handler_ ? handler_(request) : Action();
  socket->write(action ? kDone : kUnknown);
  socket->write("\n");
  socket->flush();
  socket->disconnectFromServer();
  if (action) action();
}

std::unique_ptr<CommandChannel> CommandChannel::Listen(Handler handler) {
  auto server = std::make_unique<CommandSocketServer>(std::move(handler));
  if (!server->Listen()) return nullptr;
  return server;
}

std::string CommandChannel::Address() {
  return CommandSocketServer::SocketPath();
}

CommandChannel::SendResult CommandChannel::Send(const std::string& request, std::string* reply) {
  static int argc = 1;
  static char program[] = "kalvor";
  static char* argv[] = {program, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(CommandSocketServer::SocketPath()));
  if (!socket.waitForConnected(kConnectMs)) return SendResult::NoBoard;
  socket.write(QByteArray::fromStdString(request + "\n"));
  QDeadlineTimer deadline(kAnswerMs);
  QByteArray answer;
  socket.waitForBytesWritten(kAnswerMs);
  while (!answer.contains('\n') && !deadline.hasExpired()) {
    answer += socket.readAll();
    if (answer.contains('\n') || socket.state() != QLocalSocket::ConnectedState) break;
    socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
  }
  answer += socket.readAll();
  if (!answer.contains('\n')) return SendResult::NoAnswer;
  if (reply != nullptr) *reply = answer.left(answer.indexOf('\n')).toStdString();
  return SendResult::Answered;
}

}  // namespace kalvor
