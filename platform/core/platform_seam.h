// A seam for tests and automation: once armed, message boxes and file dialogs are answered from
// queues instead of being shown, and web addresses are recorded instead of being opened.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kalvor {

struct ShownMessage {
  std::string text;
  std::string title;
  std::int32_t style = 0;
};

class PlatformSeam {
 public:
  static PlatformSeam& Instance();

  void Arm() { armed_ = true; }
  void Disarm() { armed_ = false; }
  bool Armed() const { return armed_; }
  void Reset();  // forgets every queued answer and every record, stays armed

  // Message boxes: answered with the queued answers in order, then with OK (0).
  void QueueMessageBoxAnswer(std::int32_t answer) { messageAnswers_.push_back(answer); }
  std::int32_t TakeMessageBoxAnswer(const ShownMessage& shown);
  const std::vector<ShownMessage>& Messages() const { return messages_; }

  // File dialogs: a path confirms, std::nullopt cancels; with nothing queued the dialog cancels.
  void QueueFileDialogAnswer(std::optional<std::string> path) {
    fileAnswers_.push_back(std::move(path));
  }
  std::optional<std::string> TakeFileDialogAnswer();
  int FileDialogsShown() const { return fileDialogsShown_; }

  void RecordOpenedAddress(std::string address) { openedAddresses_.push_back(std::move(address)); }
  const std::vector<std::string>& OpenedAddresses() const { return openedAddresses_; }

 private:
  bool armed_ = false;
  std::deque<std::int32_t> messageAnswers_;
  std::vector<ShownMessage> messages_;
  std::deque<std::optional<std::string>> fileAnswers_;
  int fileDialogsShown_ = 0;
  std::vector<std::string> openedAddresses_;
};

}  // namespace kalvor
