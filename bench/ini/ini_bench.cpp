// The cost of one settings-file read (done on every mouse move over a sound button) and of one
// settings-file write, on a data.ini as a long-used installation has it: [data], [ed] 1..112,
// [dat] F1..F10, [zdy] and [标题] 97..112 with Chinese values, GBK with CRLF line ends.
//
// Prints medians and 90th percentiles over many calls, next to the bare cost of opening and
// reading the file, which no implementation can go below.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/core/gbk_text.h"
#include "platform/core/ini_file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double median = 0;
  double p90 = 0;
};

Figures Summarise(std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  return {micros[micros.size() / 2], micros[micros.size() * 9 / 10]};
}

template <typename F>
Figures Time(int runs, F&& body) {
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    body(i);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  return Summarise(std::move(micros));
}

std::string MakeDataIni() {
  const char* const sounds[] = {"欢呼掌声", "狗叫",   "警车声音", "倒数计时", "激烈掌声",
                                "新闻联播", "放屁声", "机枪扫射", "打雷",     "敲门声"};
  std::string text = "[data]\r\nid=1\r\nvi=80\r\nkjj=1\r\n[ed]\r\n";
  for (int n = 1; n <= 112; ++n) {
    text.append(std::to_string(n)).append("=");
    if (n % 9 == 0) text.append("F").append(std::to_string(n % 10 + 1));
    text.append("\r\n");
  }
  text += "[dat]\r\n";
  for (int k = 1; k <= 10; ++k) {
    text.append("F").append(std::to_string(k)).append("=").append(sounds[k - 1]).append("\r\n");
  }
  text += "[zdy]\r\n";
  for (int n = 97; n <= 112; ++n) {
    text += std::to_string(n) + "=/home/主播/音乐/自定义音效" + std::to_string(n) + ".mp3\r\n";
  }
  text += "[标题]\r\n";
  for (int n = 97; n <= 112; ++n)
    text += std::to_string(n) + "=我的音效" + std::to_string(n) + "\r\n";
  return kalvor::GbkText::FromUtf8(text);
}

}  // namespace

int main() {
  std::string folderTemplate =
      (std::filesystem::temp_directory_path() / "kalvor-ini-bench-XXXXXX").string();
  const std::string folder = mkdtemp(folderTemplate.data());
  const std::string path = folder + "/data.ini";
  {
    const std::string bytes = MakeDataIni();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    std::printf("data.ini: %zu bytes\n", bytes.size());
  }

  constexpr int kReads = 20000;
  std::mt19937 gen(7);
  std::vector<std::string> hoverKeys;
  for (int i = 0; i < kReads; ++i) hoverKeys.push_back(std::to_string(gen() % 112 + 1));

  // Warm up the page cache and the converters.
  for (int i = 0; i < 1000; ++i) kalvor::IniFile::Read(path, "ed", hoverKeys[i], "");

  std::vector<char> buffer(64 * 1024);
  const Figures floor = Time(kReads, [&](int) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (read(fd, buffer.data(), buffer.size()) < 0) std::abort();
    close(fd);
  });
  const Figures hover =
      Time(kReads, [&](int i) { kalvor::IniFile::Read(path, "ed", hoverKeys[i], ""); });
  const Figures chinese =
      Time(kReads, [&](int) { kalvor::IniFile::Read(path, "标题", "112", ""); });
  const Figures missing = Time(kReads, [&](int) { kalvor::IniFile::Read(path, "dat", "F11", ""); });

  std::printf("ReadIniValue, hover (ed/1..112)  median %6.2f us  p90 %6.2f us\n", hover.median,
              hover.p90);
  std::printf("ReadIniValue, 标题/112 (last)     median %6.2f us  p90 %6.2f us\n", chinese.median,
              chinese.p90);
  std::printf("ReadIniValue, missing key        median %6.2f us  p90 %6.2f us\n", missing.median,
              missing.p90);
  std::printf("open+read+close alone            median %6.2f us  p90 %6.2f us\n", floor.median,
              floor.p90);
  std::printf("hover read / bare file read      %6.2f\n", hover.median / floor.median);

  constexpr int kWrites = 200;
  const Figures write = Time(kWrites, [&](int i) {
    kalvor::IniFile::Write(path, "data", "vi", std::to_string(i % 2 == 0 ? 57 : 58));
  });
  const Figures writeChinese = Time(kWrites, [&](int i) {
    kalvor::IniFile::Write(path, "标题", "100", i % 2 == 0 ? "新的标题" : "旧的标题");
  });
  std::printf("WriteIniValue, data/vi           median %6.1f us  p90 %6.1f us\n", write.median,
              write.p90);
  std::printf("WriteIniValue, 标题/100           median %6.1f us  p90 %6.1f us\n",
              writeChinese.median, writeChinese.p90);
  std::printf("(a write flushes the new file to disk before it replaces the old one)\n");

  std::filesystem::remove_all(folder);
  return 0;
}
