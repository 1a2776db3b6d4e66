#include "decoder_thread.h"

#include <utility>

namespace kalvor::audiolib {

DecoderThread::DecoderThread(std::function<void()> work)
    : work_(std::move(work)), thread_([this] { run(); }) {}

DecoderThread::~DecoderThread() {
  stopping_.store(true);
  wake();
  thread_.join();
}

void DecoderThread::wake() {
  if (!pending_.exchange(true)) signal_.release();
}

void DecoderThread::run() {
  for (;;) {
    signal_.acquire();
    pending_.store(false);
    if (stopping_.load()) return;
    work_();
  }
}

}  // namespace kalvor::audiolib
