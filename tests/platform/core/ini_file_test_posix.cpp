// INI files on Linux: a file left alone is the same file, a link stays a link, and a start
// tidies the temporaries of writers that were killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/core/ini_file.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniFileOnLinuxTest : public testing::Test {
 protected:
  TempDir dir;
  std::string path = dir / "data.ini";
};

TEST_F(IniFileOnLinuxTest, AnUnchangedValueLeavesTheFileAlone) {
  WriteFile(path, "[a]\r\nx=1\r\n");
  struct stat before {
  }, after{};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  ASSERT_TRUE(IniFile::Write(path, "A", "x", "1"));
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniFileOnLinuxTest, ALinkedFileIsReplacedBehindTheLink) {
  const std::string real = dir / "real.ini";
  WriteFile(real, "[a]\r\nx=1\r\n");
  ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
  ASSERT_TRUE(IniFile::Write(path, "a", "x", "2"));
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(real), "[a]\r\nx=2\r\n");
}

// Writers stopped between writing their temporary file and replacing the settings file: one is
// killed, one still runs. At the next start only the dead one's file goes.
int g_written = -1;  // a child's end of the pipe: one byte once its temporary file is written

TEST_F(IniFileOnLinuxTest, AStartRemovesTheTemporariesOfEndedWritersOnly) {
  WriteFile(path, "[data]\r\nvi=57\r\n");
  auto writerStoppedInTheMiddle = [&] {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
      g_written = fds[1];
      IniFile::SetReplaceHookForTesting([](const char*) {
        (void)!write(g_written, "w", 1);
        pause();
      });
      IniFile::Write(path, "data", "vi", "100");
      _exit(0);
    }
    char byte = 0;
    EXPECT_EQ(read(fds[0], &byte, 1), 1);
    close(fds[0]);
    close(fds[1]);
    return child;
  };
  const pid_t killed = writerStoppedInTheMiddle();
  const pid_t running = writerStoppedInTheMiddle();
  ASSERT_EQ(kill(killed, SIGKILL), 0);
  ASSERT_EQ(waitpid(killed, nullptr, 0), killed);
  WriteFile(path + ".tmp" + std::to_string(getpid()) + "-7", "an earlier process's, same number");
  WriteFile(path + ".tmpnotes", "no temporary of ours");

  // Each writer's file, by its process id ("data.ini.tmp<pid>-<n>" becomes "data.ini.tmp<pid>").
  auto files = [&] {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      names.insert(name.substr(0, name.find('-')));
    }
    return names;
  };
  const std::string tmp = "data.ini.tmp";
  ASSERT_EQ(files(),
            (std::set<std::string>{"data.ini", tmp + "notes", tmp + std::to_string(killed),
                                   tmp + std::to_string(running), tmp + std::to_string(getpid())}));
  IniFile::RemoveAbandonedTemporaries(dir.path());
  const std::set<std::string> left = files();
  kill(running, SIGKILL);
  waitpid(running, nullptr, 0);
  EXPECT_EQ(left,
            (std::set<std::string>{"data.ini", tmp + "notes", tmp + std::to_string(running)}));
  EXPECT_EQ(IniFile::Read(path, "data", "vi", ""), "57");
}

}  // namespace
}  // namespace kalvor
