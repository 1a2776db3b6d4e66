#include "decoder_thread.h"

#include <utility>

namespace kalvor::audiolib {

DecoderThread::DecoderThread(std::function<void()> work, std::function<void()> finish)
    : work_(std::move(work)), finish_(std::move(finish)), thread_([this] { run(); }) {}

DecoderThread::~DecoderThread() {
  stop();
}

void DecoderThread::stop() {
  if (!thread_.joinable()) return;
  stopping_.store(true);
  wake();
  thread_.join();
}

void DecoderThread::wake() {
  if (!pending_.exchange(true)) signal_.give();
}

void DecoderThread::run() {
  for (;;) {
    signal_.wait();
    pending_.store(false);
    if (stopping_.load()) {
      finish_();
      return;
    }
    work_();
  }
}

}  // namespace kalvor::audiolib
