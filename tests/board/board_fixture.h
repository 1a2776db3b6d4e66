// The whole board on the real Qt platform, offscreen: a fresh home folder per test, the forms and
// every handler bound, the main window loaded through its start-up steps, the seam answering
// message boxes and file dialogs. The audio library is the real one (SDL's dummy or disk driver);
// the calls the board makes into it are recorded on their way through.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/qt_platform.h"

namespace kalvor::test {

// What the board handed to the audio library.
struct LibraryLog {
  std::vector<std::string> openedPaths;  // BASS_StreamCreateFile
  std::vector<std::uint32_t> createdStreams;
  std::vector<std::uint32_t> freedStreams;  // BASS_StreamFree
  std::vector<std::uint32_t> stoppedStreams;
  std::vector<std::pair<std::uint32_t, float>> volumes;
  std::vector<int> initDevices;  // BASS_Init
  int frees = 0;                 // BASS_Free
  void Clear() { *this = LibraryLog(); }
};

LibraryLog& Library();

// The Qt platform with the audio library's calls recorded.
class RecordingPlatform : public QtPlatform {
 public:
  using QtPlatform::QtPlatform;
  void* BindExternal(std::string_view library, std::string_view function) override;
};

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes data.ini before the board starts (GBK on disk, as the program writes it).
  void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
  std::string ReadSetting(std::string_view section, std::string_view key);
  // Loads the main window: the start-up steps run inside.
  void StartBoard();
  // Closes the main window as the user does and handles the events that follow.
  void CloseBoard();

  RecordingPlatform& P() { return *platform_; }
  std::string DataDir() const;  // the per-user data folder, ending in "/"
  QWidget* Widget(std::string_view window, std::string_view control);

  void Click(std::string_view window, std::string_view control);
  void RightPress(std::string_view window, std::string_view control);
  void Hover(std::string_view window, std::string_view control);
  QWidget* Reach(std::string_view window, std::string_view control);

  std::filesystem::path home_;

 private:
  std::unique_ptr<RecordingPlatform> platform_;
};

// Handles pending events, deferred deletions included.
void Settle();

// The texts of the message boxes the seam answered so far, in order.
std::vector<std::string> MessageTexts();

// The main() of a board test program: one QApplication for every test, offscreen unless the
// caller chose a platform. With a capture file, SDL's disk driver writes the device's output there.
int RunBoardTests(int argc, char** argv, const std::string& captureFile = {});

// A file for SDL's disk driver to write the device's output to, unique to this process.
std::string CaptureFile(std::string_view tag);
// The loudest sample of what the disk driver wrote (32-bit float stereo at 44.1 kHz), of all of
// it or of its last `lastSeconds` only.
float LoudestSample(const std::string& captureFile, double lastSeconds = 0);

}  // namespace kalvor::test
