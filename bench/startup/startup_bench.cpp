// Cold start of the board: from the moment the program runs until the main window has been
// shown with every start-up step done, in a fresh process each time (offscreen, SDL's dummy
// driver, a scratch home folder that is kept between runs, as a host's is). The two archive steps
// of the start are timed on their own, so the start without them can be told apart.
//
//   startup_bench [runs]      prints medians over the runs (default 15)
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup_sequence.h"
#include "audio/audio_front_end.h"
#include "board/main_window_form.h"
#include "platform/core/core_platform.h"
#include "platform/core/platform_seam.h"
#include "platform/qt/qt_platform.h"
#include "resources/deployment.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// One start: prints "<start ms> <archive steps ms>" on stdout.
int Child(int argc, char** argv, Clock::time_point launched) {
  kalvor::CorePlatform::PrepareProcess(argv[0]);
  kalvor::QtPlatform platform(argc, argv);
  kalvor::PlatformSeam::Instance().Arm();
  kalvor::StartupSequence::Prepare(platform);
  kalvor::CreatePlayer();
  kalvor::Deployment::DeployLibrary();
  platform.LoadWindow("MainWindow");
  QApplication::processEvents();
  const double start = Ms(Clock::now() - launched);
  std::printf("%.3f\n", start);
  std::fflush(stdout);

  const std::string dir = platform.GetSpecialFolder(8);
  const auto before = Clock::now();
  kalvor::Deployment::WriteArchive(dir);
  kalvor::Deployment::ExtractArchive(dir, kalvor::MainWindowForm::kName,
                                     kalvor::MainWindowForm::kArchive);
  const double archive = Ms(Clock::now() - before);
  std::printf("%.3f\n", archive);
  std::fflush(stdout);
  std::_Exit(0);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const auto launched = Clock::now();
  if (argc > 1 && std::string(argv[1]) == "--child") return Child(argc, argv, launched);

  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
  const auto home = std::filesystem::temp_directory_path() / "kalvor-startup-bench";
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);

  std::vector<double> wall, start, archive;
  for (int i = 0; i < runs + 1; ++i) {
    int out[2];
    if (::pipe(out) != 0) return 1;
    const auto spawned = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      char child[] = "--child";
      char* args[] = {argv[0], child, nullptr};
      ::execv("/proc/self/exe", args);
      std::_Exit(127);
    }
    ::close(out[1]);
    FILE* in = ::fdopen(out[0], "r");
    double s = 0, a = 0;
    const int first = std::fscanf(in, "%lf", &s);
    const double shown = Ms(Clock::now() - spawned);
    const int second = std::fscanf(in, "%lf", &a);
    std::fclose(in);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (first != 1 || second != 1) return 1;
    if (i == 0) continue;  // the first run fills the data folder and the file cache
    wall.push_back(shown);
    start.push_back(s);
    archive.push_back(a);
  }
  std::filesystem::remove_all(home);
  const double total = Median(wall);
  const double steps = Median(archive);
  std::printf("cold start to the main window shown, median of %d runs\n", runs);
  std::printf("  launch to window shown (whole process): %8.1f ms\n", total);
  std::printf("  inside the program (main() to shown):   %8.1f ms\n", Median(start));
  std::printf("  of which archive steps (write + unpack):%8.1f ms\n", steps);
  std::printf("  start without the archive steps:        %8.1f ms\n", total - steps);
  return 0;
}
