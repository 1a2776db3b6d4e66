// The channel through which a second start of the program (`kalvor --key F3`, `kalvor --stop`)
// hands a request to the board that is running: one line in, one line back, then the exchange
// ends. Only the user who runs the board can reach it. Each platform has its own: a local socket
// in the user's runtime folder on Linux, a named pipe for the user's account on Windows.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kalvor {

class CommandChannel {
 public:
  // What a request does; empty for a request the board does not know. It runs on the user
  // interface thread after the reply went out, so a message box it may show does not keep the
  // sender waiting.
  using Action = std::function<void()>;
  // Runs on the user interface thread with the request line.
  using Handler = std::function<Action(const std::string& request)>;

  enum class SendResult { Answered, NoBoard, NoAnswer };

  // Replies sent to the requesting program.
  static constexpr const char* kDone = "ok";
  static constexpr const char* kUnknown = "unknown";

  virtual ~CommandChannel() = default;

  // Starts listening for requests, handled as they come while the event loop runs; nullptr when
  // the channel cannot be had (another board already answers on it, or it cannot be made
  // private). An address left behind by a board that was killed is taken over.
  static std::unique_ptr<CommandChannel> Listen(Handler handler);

  // Sends one request line to the running board and waits (a few seconds at most) for its
  // one-line reply. Usable before the platform exists.
  static SendResult Send(const std::string& request, std::string* reply);

  // Where the board listens, whether one does or not: for messages and tests.
  static std::string Address();
};

}  // namespace kalvor
