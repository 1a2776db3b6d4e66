// Archive extraction on arbitrary archive bytes.
//
// Each input is written as a ZIP file and unpacked into a fresh folder that already holds a
// symbolic link to a folder beside it (as a user's data folder might). Properties: the result
// is 0 or 1 (the file exists and no argument is empty); the progress goes from 0 to 100 and never
// back; nothing is created, changed or removed outside the target folder, through the link or
// otherwise; the extractor never makes links (an entry named like the link may replace the link
// itself, not what it points to).
//
// With KALVOR_FUZZ_WITHOUT_OPENAT2 set, the process is denied openat2 (as older kernels and some
// container sandboxes do), so the extractor's own component-by-component walk is fuzzed instead.
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "platform/core/zip_extractor.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;
using kalvor::fuzz::Printable;

constexpr std::string_view kCanary = "canary: the folder beside the target";

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Makes openat2 fail with ENOSYS for this process.
void DenyOpenat2() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    std::perror("skipped: cannot deny openat2 to this process");
    std::exit(77);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::getenv("KALVOR_FUZZ_WITHOUT_OPENAT2") != nullptr) DenyOpenat2();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path base = kalvor::fuzz::Scratch() / "zip";
  const fs::path zip = base / "in.zip";
  const fs::path box = base / "box";
  const fs::path outside = box / "outside";
  const fs::path target = box / "target" / "out";
  fs::remove_all(box);
  fs::create_directories(outside);
  fs::create_directories(target);
  kalvor::fuzz::WriteBytes(outside / "canary", kCanary);
  fs::create_directory_symlink("../../outside", target / "link");
  kalvor::fuzz::WriteBytes(zip, std::string_view(reinterpret_cast<const char*>(data), size));

  // The program always listens to the progress, so the fuzzer does too.
  int last = 0;
  const std::int32_t result =
      kalvor::ZipExtractor::Extract(zip.string(), target.string(), [&](int percent) {
        FUZZ_CHECK(percent >= last && percent <= 100,
                   "progress " + std::to_string(percent) + " after " + std::to_string(last));
        last = percent;
      });
  FUZZ_CHECK(result == 0 || result == 1, "result " + std::to_string(result));

  FUZZ_CHECK(Names(base) == (std::set<std::string>{"box", "in.zip"}), "something beside the box");
  FUZZ_CHECK(Names(box) == (std::set<std::string>{"outside", "target"}),
             "something written beside the target's parent");
  FUZZ_CHECK(Names(box / "target") == std::set<std::string>{"out"},
             "something written beside the target");
  FUZZ_CHECK(Names(outside) == std::set<std::string>{"canary"},
             "something written through the link");
  FUZZ_CHECK(kalvor::test::ReadFile(outside / "canary") == kCanary,
             "the file beside the target was changed");
  for (auto it = fs::recursive_directory_iterator(target); it != fs::recursive_directory_iterator();
       ++it) {
    if (!it->is_symlink()) continue;
    FUZZ_CHECK(it->path() == target / "link" && fs::read_symlink(it->path()) == "../../outside",
               "the extractor made a link: " + Printable(it->path().string()));
  }
  return 0;
}
