// The program's command line. Without arguments the program starts the board. With --key F3 or
// --stop it starts nothing: it hands the request to the board already running (through the
// platform's command channel) and ends, so a desktop whose compositor binds keys to commands (sway
// and the like) can still fire the board's function keys.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kalvor {

class CommandChannel;

struct CommandLineRequest {
  enum class Kind { StartBoard, Key, Stop, Invalid };
  Kind kind = Kind::StartBoard;
  std::int32_t keyCode = 0;  // with Key: the virtual-key code of F1..F10
  std::string key;           // with Key: "F1".."F10" as the program writes it
};

class CommandLine {
 public:
  // The arguments after the program's name. --key takes F1..F10 in either case, as the next
  // argument or after "=".
  static CommandLineRequest Parse(const std::vector<std::string>& arguments);
  static CommandLineRequest Parse(int argc, char** argv);
  static std::string Usage();

  // Carries out a request other than StartBoard from the command line and returns the exit code:
  // 0 when the running board took it, 1 when no board answered, 2 with the usage for a bad one.
  static int Hand(const CommandLineRequest& request);

  // The board's side: listens for requests and runs them as the board does: a key as the press of
  // that function key, a stop as "停止播放". nullptr when the channel cannot be had.
  static std::unique_ptr<CommandChannel> Listen();
};

}  // namespace kalvor
