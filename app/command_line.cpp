#include "app/command_line.h"

#include <iostream>
#include <sstream>

#include "board/sound_button_handlers.h"
#include "platform/command_channel.h"
#include "platform/hotkeys/global_hotkey_service.h"

namespace kalvor {
namespace {

constexpr std::int32_t kVirtualKeyF1 = 0x70;
constexpr const char* kKeyOption = "--key";
constexpr const char* kStopOption = "--stop";

// "F1".."F10" in either case; 0 for anything else.
int FunctionKeyNumber(const std::string& text) {
  if (text.size() < 2 || text.size() > 3 || (text[0] != 'F' && text[0] != 'f')) return 0;
  int number = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    number = number * 10 + (text[i] - '0');
  }
  return (text[1] != '0' && number >= 1 && number <= 10) ? number : 0;
}

CommandLineRequest Request(CommandLineRequest::Kind kind) {
  CommandLineRequest request;
  request.kind = kind;
  return request;
}

CommandLineRequest KeyRequest(const std::string& text) {
  const int number = FunctionKeyNumber(text);
  if (number == 0) return Request(CommandLineRequest::Kind::Invalid);
  CommandLineRequest request = Request(CommandLineRequest::Kind::Key);
  request.keyCode = kVirtualKeyF1 + number - 1;
  request.key = text;
  request.key[0] = 'F';
  return request;
}

// The request line the board is sent: the same words as on the command line.
std::string RequestLine(const CommandLineRequest& request) {
  if (request.kind != CommandLineRequest::Kind::Key) return kStopOption;
  std::string line = kKeyOption;
  line += ' ';
  line += request.key;
  return line;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

CommandLineRequest CommandLine::Parse(const std::vector<std::string>& arguments) {
  using Kind = CommandLineRequest::Kind;
  if (arguments.empty()) return Request(Kind::StartBoard);
  const std::string& first = arguments[0];
  const std::string keyPrefix = std::string(kKeyOption) + "=";
  if (arguments.size() == 1 && first == kStopOption) return Request(Kind::Stop);
  if (arguments.size() == 1 && first.rfind(keyPrefix, 0) == 0) {
    return KeyRequest(first.substr(keyPrefix.size()));
  }
  if (arguments.size() == 2 && first == kKeyOption) return KeyRequest(arguments[1]);
  return Request(Kind::Invalid);
}

CommandLineRequest CommandLine::Parse(int argc, char** argv) {
  return Parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}

std::string CommandLine::Usage() {
  return "usage: kalvor                start the sound board\n"
         "       kalvor --key F1..F10   press that function key on the running board\n"
         "       kalvor --stop          stop the sound the running board plays\n";
}

int CommandLine::Hand(const CommandLineRequest& request) {
  using Kind = CommandLineRequest::Kind;
  if (request.kind != Kind::Key && request.kind != Kind::Stop) {
    std::cerr << Usage();
    return 2;
  }
  std::string reply;
  switch (CommandChannel::Send(RequestLine(request), &reply)) {
    case CommandChannel::SendResult::NoBoard:
      std::cerr << "kalvor: no board is running (start it with: kalvor)\n";
      return 1;
    case CommandChannel::SendResult::NoAnswer:
      std::cerr << "kalvor: the running board did not answer\n";
      return 1;
    case CommandChannel::SendResult::Answered:
      break;
  }
  if (reply != CommandChannel::kDone) {
    std::cerr << "kalvor: the running board refused the request: " << reply << "\n";
    return 1;
  }
  return 0;
}

std::unique_ptr<CommandChannel> CommandLine::Listen() {
  return CommandChannel::Listen([](const std::string& line) -> CommandChannel::Action {
    const CommandLineRequest request = Parse(Words(line));
    switch (request.kind) {
      case CommandLineRequest::Kind::Key:
        // The same path as the key itself: silent unless the switch is on and the key is held.
        return [keyCode = request.keyCode] { HotkeyService().PressKey(keyCode); };
      case CommandLineRequest::Kind::Stop:
        return [] { SoundButtonHandlers::Stop(); };
      default:
        return {};
    }
  });
}

}  // namespace kalvor
