// What a sound server's source carried, recorded with parec as float stereo at the server's rate
// (so the server converts nothing), and measured: the level of a frequency (Goertzel) over short
// blocks, and the largest sample.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kalvor::test {

class ChatRecording {
 public:
  static constexpr double kBlockSeconds = 0.05;

  ChatRecording(std::string path, int rate) : path_(std::move(path)), rate_(rate) {}
  ~ChatRecording() { Stop(); }
  ChatRecording(const ChatRecording&) = delete;
  ChatRecording& operator=(const ChatRecording&) = delete;

  // Starts recording the source (anew when it runs already); parec asks for small fragments, or
  // PipeWire hands the data over in seconds-long pieces.
  bool Start(const std::string& source);
  // Seconds on disk so far.
  double Seconds() const;
  // Stops parec and reads the recording (the left channel).
  void Stop();

  int rate() const { return rate_; }
  const std::vector<float>& samples() const { return samples_; }
  // Amplitude of a sine at frequency in block b (kBlockSeconds long).
  double Level(double frequency, std::size_t block) const;
  std::size_t Blocks() const;
  // Blocks in which frequency is louder than threshold.
  std::vector<std::size_t> BlocksWith(double frequency, double threshold) const;
  float Peak() const;

 private:
  std::string path_;
  int rate_;
  pid_t pid_ = -1;
  std::vector<float> samples_;
};

}  // namespace kalvor::test
