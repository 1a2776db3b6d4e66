#include "platform/win32/win32_command_channel.h"

#include <sddl.h>

#include <chrono>
#include <utility>
#include <vector>

#include "platform/core/wide_text.h"

namespace kalvor {
namespace {

constexpr std::size_t kLongestRequest = 256;
constexpr DWORD kConnectMs = 1000;
constexpr DWORD kAnswerMs = 5000;
constexpr DWORD kPipeBuffer = 512;
constexpr UINT kRequestMessage = WM_APP + 1;  // lParam: a new std::shared_ptr<Exchange>
constexpr UINT kRunMessage = WM_APP + 2;      // lParam: a new CommandChannel::Action
constexpr wchar_t kWindowClass[] = L"KalvorCommandChannel";

using Clock = std::chrono::steady_clock;

DWORD MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::wstring sid;
  LPWSTR text = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

std::wstring UserName() {
  wchar_t name[256] = {};
  DWORD size = 256;
  return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring(L"user");
}

// An overlapped operation on handle, started with the result `started`: true once it completed
// (with *bytes moved) before timeoutMs passed or stop was set. One that is still under way then
// is cancelled.
bool Finish(HANDLE handle, OVERLAPPED& overlapped, BOOL started, DWORD* bytes, DWORD timeoutMs,
            HANDLE stop) {
  DWORD ignored = 0;
  if (bytes == nullptr) bytes = &ignored;
  if (!started && GetLastError() != ERROR_IO_PENDING) return false;
  const HANDLE events[] = {overlapped.hEvent, stop};
  if (WaitForMultipleObjects(stop != nullptr ? 2 : 1, events, FALSE, timeoutMs) != WAIT_OBJECT_0) {
    CancelIo(handle);
    GetOverlappedResult(handle, &overlapped, bytes, TRUE);
    return false;
  }
  return GetOverlappedResult(handle, &overlapped, bytes, FALSE) != FALSE;
}

bool WriteAll(HANDLE handle, HANDLE event, const std::string& text, Clock::time_point deadline,
              HANDLE stop) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  DWORD written = 0;
  const BOOL started =
      WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), nullptr, &overlapped);
  return Finish(handle, overlapped, started, &written, MillisecondsLeft(deadline), stop) &&
         written == text.size();
}

// Reads until a line end, the end of the stream, more than `longest` bytes, or the deadline;
// returns what came, line end included.
std::string ReadLine(HANDLE handle, HANDLE event, std::size_t longest, Clock::time_point deadline,
                     HANDLE stop) {
  std::string text;
  char chunk[kPipeBuffer];
  while (text.find('\n') == std::string::npos && text.size() <= longest) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD got = 0;
    const BOOL started = ReadFile(handle, chunk, sizeof chunk, nullptr, &overlapped);
    if (!Finish(handle, overlapped, started, &got, MillisecondsLeft(deadline), stop) || got == 0) {
      break;
    }
    text.append(chunk, got);
  }
  return text;
}

struct Handle {
  HANDLE value;
  ~Handle() {
    if (value != nullptr && value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
};

}  // namespace

// One request on its way to the user interface thread and its reply on the way back.
struct Win32CommandChannel::Exchange {
  std::string request;
  std::string reply;
  Handle answered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

Win32CommandChannel::Win32CommandChannel(Handler handler) : handler_(std::move(handler)) {}

Win32CommandChannel::~Win32CommandChannel() {
  if (stop_ != nullptr) SetEvent(stop_);
  if (thread_.joinable()) thread_.join();
  if (window_ != nullptr) {
    // Requests and actions still queued for the window are dropped with it.
    MSG message;
    while (PeekMessageW(&message, window_, kRequestMessage, kRunMessage, PM_REMOVE)) {
      if (message.message == kRequestMessage) {
        delete reinterpret_cast<std::shared_ptr<Exchange>*>(message.lParam);
      } else {
        delete reinterpret_cast<Action*>(message.lParam);
      }
    }
    DestroyWindow(window_);
  }
  for (HANDLE handle : {pipe_, stop_, io_}) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
}

std::wstring Win32CommandChannel::PipeName() {
  const std::wstring sid = UserSid();
  return L"\\\\.\\pipe\\kalvor-" + (sid.empty() ? UserName() : sid);
}

bool Win32CommandChannel::Listen() {
  // Only the user's own account may open the pipe, whatever the default access list allows.
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
  const std::wstring sid = UserSid();
  if (!sid.empty()) {
    const std::wstring descriptor = L"D:P(A;;GA;;;" + sid + L")";
    ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1,
                                                         &security.lpSecurityDescriptor, nullptr);
  }
  // The first instance only: a pipe of that name already there belongs to a running board.
  pipe_ = CreateNamedPipeW(
      PipeName().c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kPipeBuffer,
      kPipeBuffer, 0, &security);
  if (security.lpSecurityDescriptor != nullptr) LocalFree(security.lpSecurityDescriptor);
  if (pipe_ == INVALID_HANDLE_VALUE) return false;

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);  // fails harmlessly when a channel registered it before
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  io_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (window_ == nullptr || stop_ == nullptr || io_ == nullptr) return false;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void Win32CommandChannel::Serve() {
  while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = io_;
    ResetEvent(io_);
    const BOOL connected = ConnectNamedPipe(pipe_, &overlapped);
    if (connected || GetLastError() == ERROR_PIPE_CONNECTED ||
        Finish(pipe_, overlapped, connected, nullptr, INFINITE, stop_)) {
      Answer();
    }
    DisconnectNamedPipe(pipe_);
  }
}

void Win32CommandChannel::Answer() {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerMs);
  std::string line = ReadLine(pipe_, io_, kLongestRequest, deadline, stop_);
  const std::size_t end = line.find('\n');
  if (end == std::string::npos) return;  // a sender that never completes its line
  line.resize(end);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  const std::string reply = HandOver(line);
  if (reply.empty() || !WriteAll(pipe_, io_, reply + "\n", deadline, stop_)) return;
  // The client closes its end once it has the reply; disconnecting before would discard it.
  ReadLine(pipe_, io_, 0, deadline, stop_);
}

std::string Win32CommandChannel::HandOver(const std::string& request) {
  auto exchange = std::make_shared<Exchange>();
  exchange->request = request;
  auto* message = new std::shared_ptr<Exchange>(exchange);
  if (!PostMessageW(window_, kRequestMessage, 0, reinterpret_cast<LPARAM>(message))) {
    delete message;
    return {};
  }
  const HANDLE events[] = {exchange->answered.value, stop_};
  if (WaitForMultipleObjects(2, events, FALSE, kAnswerMs) != WAIT_OBJECT_0) return {};
  return exchange->reply;
}

LRESULT CALLBACK Win32CommandChannel::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  auto* channel = reinterpret_cast<Win32CommandChannel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kRequestMessage) {
    std::unique_ptr<std::shared_ptr<Exchange>> exchange(
        reinterpret_cast<std::shared_ptr<Exchange>*>(lParam));
    Action action = channel != nullptr && channel->handler_
                        ? channel->handler_((*exchange)->request)
                        : Action();
    (*exchange)->reply = action ? kDone : kUnknown;
    SetEvent((*exchange)->answered.value);
    // The action waits until the reply is on its way.
    if (action) PostMessageW(window, kRunMessage, 0, reinterpret_cast<LPARAM>(new Action(action)));
    return 0;
  }
  if (message == kRunMessage) {
    const std::unique_ptr<Action> action(reinterpret_cast<Action*>(lParam));
    (*action)();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::unique_ptr<CommandChannel> CommandChannel::Listen(Handler handler) {
  auto channel = std::make_unique<Win32CommandChannel>(std::move(handler));
  if (!channel->Listen()) return nullptr;
  return channel;
}

std::string CommandChannel::Address() {
  return Narrow(Win32CommandChannel::PipeName());
}

CommandChannel::SendResult CommandChannel::Send(const std::string& request, std::string* reply) {
  const std::wstring name = Win32CommandChannel::PipeName();
  const Clock::time_point connectBy = Clock::now() + std::chrono::milliseconds(kConnectMs);
  Handle pipe{INVALID_HANDLE_VALUE};
  for (;;) {
    // The board may learn who asks, but may not act as the asker.
    pipe.value = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                             nullptr);
    if (pipe.value != INVALID_HANDLE_VALUE) break;
    // Busy: the board is answering another request.
    if (GetLastError() != ERROR_PIPE_BUSY || MillisecondsLeft(connectBy) == 0) {
      return SendResult::NoBoard;
    }
    WaitNamedPipeW(name.c_str(), kAnswerMs);
  }
  const Handle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerMs);
  if (!WriteAll(pipe.value, event.value, request + "\n", deadline, nullptr)) {
    return SendResult::NoAnswer;
  }
  const std::string answer = ReadLine(pipe.value, event.value, kLongestRequest, deadline, nullptr);
  const std::size_t end = answer.find('\n');
  if (end == std::string::npos) return SendResult::NoAnswer;
  if (reply != nullptr) *reply = answer.substr(0, end);
  return SendResult::Answered;
}

}  // namespace kalvor
