// The command channel of the Windows edition: a named pipe, \\.\pipe\kalvor-<the user's SID>,
// that only the user's own account may open (its access list names that account alone; remote
// clients are refused). A thread of the channel waits for one client at a time, reads its line and
// hands it to the user interface thread through a message-only window; the reply goes back from
// the thread, and the request's action runs afterwards on the user interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/command_channel.h"

namespace kalvor {

class Win32CommandChannel : public CommandChannel {
 public:
  explicit Win32CommandChannel(Handler handler);
  ~Win32CommandChannel() override;
  Win32CommandChannel(const Win32CommandChannel&) = delete;
  Win32CommandChannel& operator=(const Win32CommandChannel&) = delete;

  // Creates the pipe, the window and the thread; false when another board holds the pipe.
  bool Listen();

  // \\.\pipe\kalvor- followed by the user's SID (the user's name when the SID cannot be had).
  static std::wstring PipeName();

 private:
  struct Exchange;
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Serve();
  void Answer();
  std::string HandOver(const std::string& request);

  Handler handler_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE stop_ = nullptr;  // set when the channel closes
  HANDLE io_ = nullptr;    // the overlapped operations' event
  HWND window_ = nullptr;
  std::thread thread_;
};

}  // namespace kalvor
