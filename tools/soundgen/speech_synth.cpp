#include "tools/soundgen/speech_synth.h"

#include <espeak-ng/speak_lib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "tools/soundgen/biquad.h"

extern char** environ;

namespace kalvor::soundgen {
namespace {

constexpr const char* kChildFlag = "--speak";

int Collect(short* wav, int count, espeak_EVENT* events) {
  if (wav == nullptr || count <= 0) return 0;
  auto* out = static_cast<std::vector<short>*>(events->user_data);
  out->insert(out->end(), wav, wav + count);
  return 0;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool SpeechSynth::RunChild(int argc, char** argv, int& exit_code) {
  if (argc != 8 || std::strcmp(argv[1], kChildFlag) != 0) return false;
  exit_code = 1;
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
  if (rate <= 0) return true;
  espeak_SetSynthCallback(Collect);
  if (espeak_SetVoiceByName(argv[2]) != EE_OK) {
    std::fprintf(stderr, "espeak-ng has no voice %s\n", argv[2]);
    return true;
  }
  espeak_SetParameter(espeakRATE, std::atoi(argv[3]), 0);
  espeak_SetParameter(espeakPITCH, std::atoi(argv[4]), 0);
  espeak_SetParameter(espeakRANGE, std::atoi(argv[5]), 0);
  espeak_SetParameter(espeakWORDGAP, std::atoi(argv[6]), 0);
  espeak_SetParameter(espeakVOLUME, 100, 0);
  std::srand(1);
  std::vector<short> pcm;
  const std::string text = argv[7];
  espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &pcm);
  espeak_Synchronize();
  espeak_Terminate();
  const std::int32_t header = rate;
  if (WriteAll(STDOUT_FILENO, &header, sizeof(header)) &&
      WriteAll(STDOUT_FILENO, pcm.data(), pcm.size() * sizeof(short))) {
    exit_code = 0;
  }
  return true;
}

Signal SpeechSynth::Speak(std::string_view text, const SpeechParams& p) const {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<std::string> args = {program_,
                                   kChildFlag,
                                   p.voice,
                                   std::to_string(p.rate),
                                   std::to_string(p.pitch),
                                   std::to_string(p.range),
                                   std::to_string(p.word_gap),
                                   std::string(text)};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start the speech process");
  }
  std::vector<char> bytes;
  char buffer[65536];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof(buffer))) != 0;) {
    if (n < 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.size() < sizeof(std::int32_t)) {
    throw std::runtime_error("speech failed for: " + std::string(text));
  }
  std::int32_t native_rate = 0;
  std::memcpy(&native_rate, bytes.data(), sizeof(native_rate));
  const std::size_t count = (bytes.size() - sizeof(native_rate)) / sizeof(short);
  std::vector<short> pcm(count);
  std::memcpy(pcm.data(), bytes.data() + sizeof(native_rate), count * sizeof(short));

  // Trim silence at both ends.
  std::size_t begin = 0, end = pcm.size();
  while (begin < end && std::abs(pcm[begin]) < 200) ++begin;
  while (end > begin && std::abs(pcm[end - 1]) < 200) --end;
  Signal native(end - begin);
  for (std::size_t i = 0; i < native.size(); ++i) native[i] = pcm[begin + i] / 32768.0f;

  // The library speaks at 22050 Hz; stretch to the archive rate and remove the images
  // that interpolation leaves above the original band.
  Signal out = ChangeSpeed(native, static_cast<double>(native_rate) / kSampleRate);
  for (double q : {0.54, 1.31}) {
    Biquad lp;
    lp.SetLowpass(10000, q);
    lp.ProcessInPlace(out);
  }
  FadeIn(out, 0.005);
  FadeOut(out, 0.01);
  return out;
}

}  // namespace kalvor::soundgen
