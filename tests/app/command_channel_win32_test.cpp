// The command channel of the Windows edition: a request line sent through the named pipe is
// handled on the thread that pumps messages, the reply comes back, and the action runs after it;
// with no board listening, or a board that never pumps, the sender is not kept waiting long.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "platform/command_channel.h"
#include "platform/win32/win32_command_channel.h"

namespace kalvor::test {
namespace {

using Result = CommandChannel::SendResult;

struct Sent {
  Result result;
  std::string reply;
};

// Sends from another thread while this one pumps messages, as the board's event loop does.
Sent SendWhilePumping(const std::string& request) {
  auto sent = std::async(std::launch::async, [request] {
    Sent out{};
    out.result = CommandChannel::Send(request, &out.reply);
    return out;
  });
  while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return sent.get();
}

TEST(Win32CommandChannel, RequestsAreHandledOnThePumpingThreadAndAnswered) {
  const DWORD pumpingThread = GetCurrentThreadId();
  std::vector<std::string> seen;
  std::vector<std::string> ran;
  auto channel = CommandChannel::Listen([&](const std::string& line) -> CommandChannel::Action {
    EXPECT_EQ(GetCurrentThreadId(), pumpingThread);
    seen.push_back(line);
    if (line == "--key F3") return [&] { ran.push_back("F3"); };
    return {};
  });
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(CommandChannel::Address().rfind("\\\\.\\pipe\\kalvor-S-1-5-", 0), 0u)
      << CommandChannel::Address();
  // A second board finds the channel taken.
  EXPECT_EQ(CommandChannel::Listen([](const std::string&) { return CommandChannel::Action(); }),
            nullptr);

  for (int i = 0; i < 3; ++i) {  // one client after another on the same pipe
    const Sent sent = SendWhilePumping("--key F3");
    EXPECT_EQ(sent.result, Result::Answered);
    EXPECT_EQ(sent.reply, CommandChannel::kDone);
  }
  const Sent unknown = SendWhilePumping("--dance");
  EXPECT_EQ(unknown.result, Result::Answered);
  EXPECT_EQ(unknown.reply, CommandChannel::kUnknown);
  EXPECT_EQ(seen, (std::vector<std::string>{"--key F3", "--key F3", "--key F3", "--dance"}));
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(ran, (std::vector<std::string>{"F3", "F3", "F3"}));

  channel.reset();
  EXPECT_EQ(SendWhilePumping("--stop").result, Result::NoBoard);
}

TEST(Win32CommandChannel, ABoardThatDoesNotPumpGivesNoAnswerWithinSeconds) {
  auto channel =
      CommandChannel::Listen([](const std::string&) { return CommandChannel::Action(); });
  ASSERT_NE(channel, nullptr);
  const auto start = std::chrono::steady_clock::now();
  std::string reply;
  EXPECT_EQ(CommandChannel::Send("--stop", &reply), Result::NoAnswer);  // nothing pumps here
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}

}  // namespace
}  // namespace kalvor::test
