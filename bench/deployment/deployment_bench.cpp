// Deployment on every start against Info-ZIP's unzip on the same archive, in the same run,
// alternating so both see the same machine: our archive write + unpack, our unpack alone, and
// `unzip -o -q` of the same file into a folder of its own.
//
//   deployment_bench [runs]   prints medians over the runs (default 11) and the ratios
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/null_platform.h"
#include "resources/deployment.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 11;
  const auto root = std::filesystem::temp_directory_path() / "kalvor-deploy-bench";
  std::filesystem::remove_all(root);
  const std::string ours = (root / "ours").string() + "/";
  const auto theirs = root / "unzip";
  std::filesystem::create_directories(ours);
  std::filesystem::create_directories(theirs);
  kalvor::NullPlatform platform;
  kalvor::SetPlatform(&platform);

  const std::string unzip = "unzip -o -q '" + ours + "1.zip' -d '" + theirs.string() + "'";
  std::vector<double> whole, unpack, info;
  for (int i = 0; i < runs + 1; ++i) {
    auto t = Clock::now();
    kalvor::Deployment::WriteArchive(ours);
    const auto written = Clock::now();
    if (kalvor::Deployment::ExtractArchive(ours, "MainWindow", "ZIP压缩1") != 1) {
      std::fprintf(stderr, "unpacking failed\n");
      return 1;
    }
    const auto done = Clock::now();
    const auto u = Clock::now();
    if (std::system(unzip.c_str()) != 0) {
      std::fprintf(stderr, "unzip failed (is it installed?)\n");
      return 1;
    }
    const double unzipMs = Ms(Clock::now() - u);
    if (i == 0) continue;  // warms the file cache for both
    whole.push_back(Ms(done - t));
    unpack.push_back(Ms(done - written));
    info.push_back(unzipMs);
  }
  std::filesystem::remove_all(root);
  const double w = Median(whole), x = Median(unpack), z = Median(info);
  std::printf("deployment per start, median of %d runs (archive of %s)\n", runs, "98 sounds");
  std::printf("  ours: write 1.zip + unpack:  %7.1f ms   (%.2fx unzip)\n", w, w / z);
  std::printf("  ours: unpack only:           %7.1f ms   (%.2fx unzip)\n", x, x / z);
  std::printf("  unzip -o -q, same archive:   %7.1f ms\n", z);
  return 0;
}
