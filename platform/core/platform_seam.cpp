#include "platform/core/platform_seam.h"

namespace kalvor {

PlatformSeam& PlatformSeam::Instance() {
  static PlatformSeam seam;
  return seam;
}

void PlatformSeam::Reset() {
  messageAnswers_.clear();
  messages_.clear();
  fileAnswers_.clear();
  fileDialogsShown_ = 0;
  openedAddresses_.clear();
}

std::int32_t PlatformSeam::TakeMessageBoxAnswer(const ShownMessage& shown) {
  messages_.push_back(shown);
  if (messageAnswers_.empty()) return 0;
  const std::int32_t answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

std::optional<std::string> PlatformSeam::TakeFileDialogAnswer() {
  ++fileDialogsShown_;
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

}  // namespace kalvor
