#include "linux_output.h"

#include "chat_settings.h"

namespace kalvor::audiolib {

bool LinuxOutput::connect() {
  return sdl_.connect();
}

void LinuxOutput::disconnect() {
  sdl_.disconnect();
}

bool LinuxOutput::chat_listed() {
  if (chat_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (asked_ == std::chrono::steady_clock::time_point{} || now - asked_ > kAnswerKept) {
    int rate = 0;
    server_answered_ = PulseChatOutput::probe(&rate);
    if (rate > 0) chat_rate_ = rate;
    asked_ = now;
  }
  return server_answered_;
}

std::vector<std::string> LinuxOutput::outputs() {
  std::vector<std::string> names = sdl_.outputs();
  sdl_outputs_ = static_cast<int>(names.size());
  if (chat_listed()) names.emplace_back(PulseChatOutput::kDeviceName);
  return names;
}

std::string LinuxOutput::driver() {
  return sdl_.driver();
}

bool LinuxOutput::open(int index, const char* name, int rate, int period_frames, Mixer mixer,
                       Opened* opened) {
  if (index < sdl_outputs_ || !chat_listed()) {
    return sdl_.open(index, name, rate, period_frames, std::move(mixer), opened);
  }
  // The device runs at the server's own rate, so the server converts nothing; data.ini is read
  // each time it opens.
  auto chat = std::make_unique<PulseChatOutput>(std::move(mixer), chat_rate_,
                                                ChatSettings::read(ChatSettings::default_path()));
  if (!chat->launch()) return false;
  opened->rate = chat_rate_;
  opened->period_frames = chat->period_frames();
  chat_ = std::move(chat);
  return true;
}

void LinuxOutput::close() {
  if (chat_) {
    chat_.reset();
  } else {
    sdl_.close();
  }
}

void LinuxOutput::start() {
  if (chat_) {
    chat_->run();
  } else {
    sdl_.start();
  }
}

void LinuxOutput::stop() {
  if (chat_) {
    chat_->park();
  } else {
    sdl_.stop();
  }
}

void LinuxOutput::release() {
  if (!chat_) sdl_.release();
}

}  // namespace kalvor::audiolib
