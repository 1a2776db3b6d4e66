// The program's command line against a board running on a private X server: `kalvor --key F3`
// goes the way of the F3 key itself (the sound reaches the device: SDL's disk driver writes every
// buffer handed to it), `kalvor --stop` that of "停止播放"; without a board, or with arguments it
// does not know, the program says so and starts nothing.
#include "app/command_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "board/hotkey_host.h"
#include "platform/command_channel.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor::test {
namespace {

std::string Capture() {
  static const std::string path = CaptureFile("command-line");
  return path;
}

// True once the device has gone quiet: its latest output is silent, or it takes no more output
// (nothing plays, so the library pauses it).
bool OutputWentQuiet() {
  static std::uintmax_t lastSize = 0;
  static QElapsedTimer sinceGrowth;
  const std::uintmax_t size = std::filesystem::file_size(Capture());
  if (size != lastSize || !sinceGrowth.isValid()) {
    lastSize = size;
    sinceGrowth.start();
  }
  return LoudestSample(Capture(), 0.2) == 0.0f || sinceGrowth.elapsed() > 300;
}

struct ProgramRun {
  int exitCode = -1;
  QString errors;
};

// Runs the program itself with these arguments while the board here goes on handling events.
ProgramRun RunProgram(const QStringList& arguments, const QProcessEnvironment& environment =
                                                        QProcessEnvironment::systemEnvironment()) {
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(KALVOR_PROGRAM, arguments);
  EXPECT_TRUE(program.waitForStarted()) << "cannot run " << KALVOR_PROGRAM;
  EXPECT_TRUE(ProcessEventsUntil([&] { return program.state() == QProcess::NotRunning; },
                                 std::chrono::seconds(10)));
  return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
          QString::fromUtf8(program.readAllStandardError())};
}

class CommandLineTest : public BoardTest {
 protected:
  // The board takes requests from the command line, as the program does once it runs.
  void StartBoardWithCommands() {
    StartBoard();
    commands_ = CommandLine::Listen();
    ASSERT_NE(commands_, nullptr) << "no command socket at " << CommandChannel::Address();
  }
  void TearDown() override {
    commands_.reset();
    BoardTest::TearDown();
  }
  std::unique_ptr<CommandChannel> commands_;
};

TEST_F(CommandLineTest, KeyFromTheCommandLinePlaysTheBindingAndStopSilencesIt) {
  KALVOR_NEED_X_SERVER();
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoardWithCommands();
  EXPECT_EQ(RunProgram({"--key", "F3"}).exitCode, 0);
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{DataDir() + "music/欢呼掌声.mp3"});
  EXPECT_TRUE(ProcessEventsUntil([] { return LoudestSample(Capture(), 0.2) > 0.05f; }))
      << "no sound";

  EXPECT_EQ(RunProgram({"--stop"}).exitCode, 0);
  ASSERT_EQ(Library().createdStreams.size(), 1u);
  EXPECT_EQ(Library().stoppedStreams, Library().createdStreams);
  EXPECT_TRUE(ProcessEventsUntil(OutputWentQuiet, std::chrono::seconds(2))) << "still playing";
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

TEST_F(CommandLineTest, WithTheSwitchOffTheCommandLineKeyPlaysNothingUntilItIsOn) {
  KALVOR_NEED_X_SERVER();
  WriteSetting("data", "kjj", "2");
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoardWithCommands();
  EXPECT_EQ(RunProgram({"--key", "F3"}).exitCode, 0);  // taken, but the keys are off
  EXPECT_TRUE(Library().openedPaths.empty());

  Click("MainWindow", "选择框1");
  ASSERT_EQ(HotkeyHost().loaded, 1);
  EXPECT_EQ(RunProgram({"--key=f3"}).exitCode, 0);  // either spelling of the key
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{DataDir() + "music/欢呼掌声.mp3"});
}

TEST(CommandLineWithoutBoard, SaysSoInOneLineEndsWithOneAndStartsNothing) {
  QTemporaryDir runtime;
  QTemporaryDir home;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", runtime.path());
  environment.insert("HOME", home.path());
  environment.insert("XDG_DATA_HOME", home.filePath("data"));
  for (const QStringList& arguments : {QStringList{"--key", "F3"}, QStringList{"--stop"}}) {
    const ProgramRun run = RunProgram(arguments, environment);
    EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
    EXPECT_EQ(run.errors.count('\n'), 1) << run.errors.toStdString();
  }
  EXPECT_TRUE(QDir(home.path()).isEmpty()) << "the board must not have started";
}

TEST(CommandLineWithoutBoard, BadArgumentsShowTheUsageAndEndWithTwo) {
  const QStringList cases[] = {{"--key"},       {"--key", "F11"}, {"--key", "F0"},
                               {"--key", "G3"}, {"--key=F01"},    {"--key", "F3", "F4"},
                               {"--stop", "1"}, {"-k", "F3"},     {"F3"}};
  for (const QStringList& arguments : cases) {
    const ProgramRun run = RunProgram(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.errors.startsWith("usage: kalvor")) << run.errors.toStdString();
  }
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  // A runtime folder of our own for the board's command socket.
  std::string runtime = (std::filesystem::temp_directory_path() / "kalvor-run-XXXXXX").string();
  if (::mkdtemp(runtime.data()) == nullptr) return 2;
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  const int result = kalvor::test::RunBoardTests(argc, argv, kalvor::test::Capture());
  std::filesystem::remove_all(runtime);
  return result;
}
