// The command channel of the Linux edition: a local socket through which a second start of the
// program (`kalvor --key F3`) hands a request to the board that is running: one line in, one line
// back, then the connection ends.
//
// The socket lives in the user's runtime folder ($XDG_RUNTIME_DIR/kalvor/command), in a folder
// only its owner may enter, so no other user can send requests to this board. Without
// XDG_RUNTIME_DIR the folder is kalvor-<uid> in the temporary folder, made with the same rights;
// one that is not ours or that others may enter is not used.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "platform/command_channel.h"

class QLocalServer;
class QLocalSocket;

namespace kalvor {

class CommandSocketServer : public QObject, public CommandChannel {
 public:
  explicit CommandSocketServer(Handler handler);
  ~CommandSocketServer() override;

  // Starts listening; a socket left behind by a board that was killed is replaced. False when
  // the folder cannot be made private or another board already answers on the socket.
  bool Listen();
  bool Listening() const;

  // The socket's path, whether a board listens there or not.
  static std::string SocketPath();

  // CommandChannel::Send: usable before any Qt application exists (a core application is made
  // for the call when there is none).

 private:
  void Accept();
  void Read(QLocalSocket* socket);

  Handler handler_;
  QLocalServer* server_ = nullptr;
};

}  // namespace kalvor
