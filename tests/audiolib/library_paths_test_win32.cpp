// File names reach the library as UTF-8; a program written for the A functions passes them in the
// ANSI code page instead (GBK on a Chinese Windows, which the tests run as), and those open too.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "audiolib/bass_library.h"
#include "tests/audiolib/test_platform.h"
#include "tests/audiolib/test_sound_files.h"

namespace kalvor::test {
namespace {

std::string ansi_from_utf8(const std::string& utf8) {
  const std::wstring wide = PathFromUtf8(utf8).wstring();
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.pop_back();  // the terminating zero
  return ansi;
}

TEST(LibraryPaths, ChineseNamesOpenInUtf8AndInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 936u);
  if (!UseSilentOutput()) GTEST_SKIP() << "no output to test with";
  ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
  TestSoundFiles files;
  for (const std::string& utf8 :
       {files.wav("欢呼掌声.wav", Tone{}), files.mp3_cbr("笑声 一号.mp3", Tone{.seconds = 1.0})}) {
    const std::string gbk = ansi_from_utf8(utf8);
    ASSERT_NE(gbk, utf8);
    for (const std::string& path : {utf8, gbk}) {
      const uint32_t stream = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
      EXPECT_NE(stream, 0u) << utf8;
      BASS_StreamFree(stream);
    }
  }
  BASS_Free();
}

}  // namespace
}  // namespace kalvor::test
