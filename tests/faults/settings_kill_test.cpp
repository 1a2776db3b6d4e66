// A process killed with SIGKILL in the middle of a burst of settings writes never leaves data.ini
// torn or empty: a writer process goes through round after round of writes and is killed at a
// random moment, over and over; after every kill the file reads whole, every entry holds a value
// the writer wrote, never older than before the kill, and the entries show the writes in the
// order they were made (a prefix of the entries one round ahead of the rest).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/ini_file.h"
#include "tests/faults/settings_burst.h"

namespace kalvor::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 60;

// Starts the writer at `firstRound` and returns once it has started writing.
pid_t StartWriter(const std::string& file, std::int64_t firstRound) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) return -1;
  const std::string round = std::to_string(firstRound);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(ready[1], STDOUT_FILENO);
    execl(KALVOR_FAULT_WRITER, KALVOR_FAULT_WRITER, "burst", file.c_str(), round.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  pollfd wait{ready[0], POLLIN, 0};
  char line[8] = {};
  const bool started = poll(&wait, 1, 20000) == 1 && read(ready[0], line, sizeof line) > 0;
  close(ready[0]);
  if (!started) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return pid;
}

TEST(SettingsKillTest, SigkillDuringABurstOfWritesNeverTearsTheFile) {
  const fs::path dir =
      fs::temp_directory_path() / ("kalvor-faults-kill-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string file = (dir / "data.ini").string();
  std::vector<std::int64_t> rounds(kBurstEntries, 0);
  const auto before = std::chrono::steady_clock::now();
  for (int i = 0; i < kBurstEntries; ++i) {
    ASSERT_TRUE(
        IniFile::Write(file, BurstEntryAt(i).section, BurstEntryAt(i).key, BurstValue(0, i)));
  }
  // The kills must fall among the writes: on a slow or busy machine (or under the sanitizers) one
  // write takes longer, so the pause before a kill stretches with it.
  const auto perWrite = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - before) /
                        kBurstEntries;
  const int longestPause = std::max<int>(12000, static_cast<int>(4 * perWrite.count()));

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pause(0, longestPause);  // microseconds
  int killsThatLandedMidBurst = 0;
  std::int64_t writesSeen = 0;
  for (int kill = 0; kill < kRounds; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
    // The writer takes up the round the last one was killed in (its first writes of that round
    // change nothing) and goes on from there.
    const pid_t writer = StartWriter(file, *std::max_element(rounds.begin(), rounds.end()));
    ASSERT_GT(writer, 0) << "the writer did not start";
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
    ::kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the writer ended by itself, status " << status;

    ASSERT_GT(fs::file_size(file), 0u) << "data.ini is empty";
    std::vector<std::int64_t> now(kBurstEntries);
    for (int i = 0; i < kBurstEntries; ++i) {
      const BurstEntry entry = BurstEntryAt(i);
      const std::string value = IniFile::Read(file, entry.section, entry.key, "<missing>");
      now[i] = BurstRound(value, i);
      ASSERT_GE(now[i], 0) << "[" << entry.section << "] " << entry.key << " = " << value;
      ASSERT_GE(now[i], rounds[i]) << "entry " << i << " went back to an older value";
    }
    // Entries are written in order, so the rounds fall by at most one, once, along the entries.
    const auto [low, high] = std::minmax_element(now.begin(), now.end());
    ASSERT_LE(*high - *low, 1);
    ASSERT_TRUE(std::is_sorted(now.rbegin(), now.rend())) << "writes applied out of order";
    for (int i = 0; i < kBurstEntries; ++i) writesSeen += now[i] - rounds[i];
    if (*high != *low) ++killsThatLandedMidBurst;
    rounds = now;
  }
  std::size_t strays = 0;
  for (const auto& entry : fs::directory_iterator(dir)) strays += entry.path() != file;
  std::printf(
      "%d kills, %lld writes survived, %d kills fell inside a round, %zu temporary files "
      "left by killed writes\n",
      kRounds, static_cast<long long>(writesSeen), killsThatLandedMidBurst, strays);
  // The kills fell among the writes, not all before the first one.
  EXPECT_GT(writesSeen, kRounds);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kalvor::test
