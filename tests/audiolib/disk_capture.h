// What reached the output device, as 32-bit float stereo at 44.1 kHz. On Linux SDL's "disk" driver
// writes every buffer the library hands over (silence included while the device is paused) to a
// file, in real time. Under Wine the library plays into the test sound server's null sink, whose
// monitor is recorded on a tape for the whole test run (tests/wine/sound-server.sh): a capture
// is the part of the tape recorded from its construction until load().
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kalvor::test {

class DiskCapture {
 public:
  static constexpr int kRate = 44100;

  // Points the disk driver at path (on Linux; under Wine it marks where the tape stands). Must run
  // before the library starts SDL's audio (BASS_Init after a BASS_Free is fine: the library shuts
  // SDL's audio down in BASS_Free).
  explicit DiskCapture(std::string path);

  // False when nothing records the output (under Wine without the test sound server).
  bool available() const;
  // Waits until what the library has handed to the device so far has been recorded; call before
  // BASS_Free. SDL's disk driver writes out what it holds when the device closes; Wine's waveOut
  // drops what is still queued, so under Wine this waits until the tape has run on for longer
  // than the way from the library to the tape takes.
  void drain();
  // Reads what was recorded; call after BASS_Free, which closes the device.
  void load();
  // Reads what was recorded again and again while the device writes it (in real time), until it
  // satisfies the condition; false when it did not within the timeout.
  bool wait_until(const std::function<bool(const DiskCapture&)>& condition,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // The condition that the first audible frame has arrived and `frames` more after it.
  static std::function<bool(const DiskCapture&)> audible_for(std::size_t frames,
                                                             float threshold = 1e-4f);

  std::size_t frames() const { return samples_.size() / 2; }
  float left(std::size_t frame) const { return samples_[2 * frame]; }
  float right(std::size_t frame) const { return samples_[2 * frame + 1]; }

  // First / last frame at or after from whose magnitude exceeds threshold on either channel.
  std::optional<std::size_t> first_audible(float threshold = 1e-4f, std::size_t from = 0) const;
  std::optional<std::size_t> last_audible(float threshold = 1e-4f) const;
  // Largest magnitude in frames [begin, end).
  float peak(std::size_t begin, std::size_t end) const;
  // Largest change between neighbouring frames of the left channel in [begin, end).
  float largest_step(std::size_t begin, std::size_t end) const;

 private:
  // Reads what has been recorded so far, without waiting for what is still on its way.
  void read_recorded();

  std::string path_;
  std::size_t mark_ = 0;  // the tape's length at construction, in bytes
  std::vector<float> samples_;
};

}  // namespace kalvor::test
