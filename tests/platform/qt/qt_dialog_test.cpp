// Message boxes, the file dialog and the shell, through the test seam and on the real Qt
// dialogs; fatal errors on unloaded windows; the event loop and the end of the process.
#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"
#include "tests/platform/qt/qt_test_support.h"

namespace kalvor::test {
namespace {

using QtDialogTest = QtPlatformTest;
using QtDialogDeathTest = QtPlatformTest;

// Runs action on the first modal dialog that opens.
template <typename Dialog, typename Action>
void WhenModalOpens(Action action) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      action(dialog);
    }
  });
  poll->start(10);
}

TEST_F(QtDialogTest, MessageBoxesAnswerFromTheSeamWithTheDefaultTitle) {
  PlatformSeam& seam = PlatformSeam::Instance();
  seam.QueueMessageBoxAnswer(5);
  EXPECT_EQ(P().ShowMessageBox("设置无效", 0), 5);
  EXPECT_EQ(P().ShowMessageBox("打开文件失败", 0x30, "错误"), 0) << "nothing queued: OK";
  ASSERT_EQ(seam.Messages().size(), 2u);
  EXPECT_EQ(seam.Messages()[0].title, "信息：");
  EXPECT_EQ(seam.Messages()[0].text, "设置无效");
  EXPECT_EQ(seam.Messages()[1].title, "错误");
  EXPECT_EQ(seam.Messages()[1].style, 0x30);
}

TEST_F(QtDialogTest, RealMessageBoxShowsStyleAndReturnsThePressedButton) {
  PlatformSeam::Instance().Disarm();
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(P().ShowMessageBox("继续吗？", 0x24), 6);
  EXPECT_EQ(title, QStringLiteral("信息："));
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_EQ(buttons, 2);

  WhenModalOpens<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Retry)->click(); });
  EXPECT_EQ(P().ShowMessageBox("出错了", 0x12, "错误"), 3);
}

TEST(QtMessageBoxStyle, StyleWordMapsToIconsButtonsAndAnswers) {
  EXPECT_EQ(QtMessageBox::IconFor(0x30), QMessageBox::Warning);
  EXPECT_EQ(QtMessageBox::IconFor(0x10), QMessageBox::Critical);
  EXPECT_EQ(QtMessageBox::IconFor(0x40), QMessageBox::Information);
  EXPECT_EQ(QtMessageBox::IconFor(0x1000), QMessageBox::NoIcon);
  using B = QMessageBox;
  EXPECT_EQ(QtMessageBox::ButtonsFor(0), (std::vector<B::StandardButton>{B::Ok}));
  EXPECT_EQ(QtMessageBox::ButtonsFor(3),
            (std::vector<B::StandardButton>{B::Yes, B::No, B::Cancel}));
  EXPECT_EQ(QtMessageBox::ButtonsFor(0x35), (std::vector<B::StandardButton>{B::Retry, B::Cancel}));
  const B::StandardButton order[] = {B::Ok,     B::Cancel, B::Abort, B::Retry,
                                     B::Ignore, B::Yes,    B::No};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(QtMessageBox::AnswerFor(order[i]), i);
}

class QtFileDialogTest : public QtPlatformTest {
 protected:
  void SetUp() override {
    QtPlatformTest::SetUp();
    FormDef form = Form("CustomSoundDialog", 363, 105);
    form.controls.push_back(Control("通用对话框1", ControlKind::FileDialog, 0, 0, 0, 0));
    P().RegisterForm(form);
    ASSERT_TRUE(P().LoadWindow("CustomSoundDialog"));
  }
  std::string FileName() { return P().GetText("CustomSoundDialog", "通用对话框1", Prop::FileName); }
};

TEST_F(QtFileDialogTest, ConfirmSetsTheFileNameAndCancelKeepsIt) {
  PlatformSeam& seam = PlatformSeam::Instance();
  seam.QueueFileDialogAnswer("/home/user/音乐/打雷.mp3");
  seam.QueueFileDialogAnswer(std::nullopt);
  EXPECT_TRUE(P().RunFileDialog("CustomSoundDialog", "通用对话框1"));
  EXPECT_EQ(FileName(), "/home/user/音乐/打雷.mp3");
  EXPECT_FALSE(P().RunFileDialog("CustomSoundDialog", "通用对话框1"));
  EXPECT_EQ(FileName(), "/home/user/音乐/打雷.mp3");
  EXPECT_EQ(seam.FileDialogsShown(), 2);
}

TEST_F(QtFileDialogTest, RealDialogStartsAtTheFileNameAndReturnsTheChosenPath) {
  PlatformSeam::Instance().Disarm();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string first = dir.filePath(QStringLiteral("旧.mp3")).toStdString();
  const std::string second = dir.filePath(QStringLiteral("新 音效.mp3")).toStdString();
  std::ofstream(first) << "x";
  std::ofstream(second) << "y";
  P().SetText("CustomSoundDialog", "通用对话框1", Prop::FileName, first);

  QStringList shownAtStart;
  WhenModalOpens<QFileDialog>([&](QFileDialog* dialog) {
    shownAtStart = dialog->selectedFiles();
    dialog->selectFile(QString::fromStdString(second));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as the Open button
  });
  EXPECT_TRUE(P().RunFileDialog("CustomSoundDialog", "通用对话框1"));
  EXPECT_EQ(shownAtStart, QStringList{QString::fromStdString(first)});
  EXPECT_EQ(FileName(), second);

  WhenModalOpens<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(P().RunFileDialog("CustomSoundDialog", "通用对话框1"));
  EXPECT_EQ(FileName(), second);
}

TEST_F(QtDialogTest, ShellRecordsWhatItWouldOpen) {
  PlatformSeam& seam = PlatformSeam::Instance();
  P().OpenUrl("https://chat.example/author");
  EXPECT_GT(P().ExecuteWithVerb(4, "https://shop.example/"), 32);
  EXPECT_GT(P().ExecuteWithVerb(0, "www.example.com"), 32);
  EXPECT_EQ(seam.OpenedAddresses(),
            (std::vector<std::string>{"https://chat.example/author", "https://shop.example/",
                                      "www.example.com"}));
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("说明.txt"));
  std::ofstream(file.toStdString()) << "x";
  EXPECT_GT(P().ExecuteWithVerb(2, "说明.txt", "", dir.path().toStdString()), 32);
  EXPECT_EQ(seam.OpenedAddresses().back(), dir.path().toStdString()) << "explore opens the folder";
  EXPECT_EQ(P().ExecuteWithVerb(4, "没有这个文件.txt", "", dir.path().toStdString()),
            QtShell::kFileNotFound);
  EXPECT_EQ(QtShell::VerbName(5), "print");
  EXPECT_EQ(QtShell::VerbName(9), "");
}

TEST_F(QtDialogDeathTest, PropertyOfAnUnloadedWindowIsFatal) {
  // The exit clean-up echoes the fatal box's text, so the dying process shows it.
  const auto echo = [] {
    for (const ShownMessage& shown : PlatformSeam::Instance().Messages()) {
      std::fprintf(stderr, "[%s] %s\n", shown.title.c_str(), shown.text.c_str());
    }
  };
  EXPECT_EXIT(
      {
        P().SetExitCleanup(echo);
        P().GetInt("HotkeyDialog", "组合框1", Prop::ListIndex);
      },
      ::testing::ExitedWithCode(255), "\\[错误\\] 运行时出错!.*未载入欲访问窗口组件所在的窗口");

  FormDef form = Form("CustomSoundDialog", 363, 105);
  form.controls.push_back(Control("通用对话框1", ControlKind::FileDialog, 0, 0, 0, 0));
  P().RegisterForm(form);
  EXPECT_EXIT(
      {
        P().SetExitCleanup(echo);
        P().LoadWindow("CustomSoundDialog");
        P().GetText("CustomSoundDialog", "通用对话框1", Prop::Caption);
      },
      ::testing::ExitedWithCode(255), "指定窗口尚未载入");
}

TEST_F(QtDialogTest, EventLoopRunsWhileAnyWindowIsLoadedEvenAnInvisibleOne) {
  P().RegisterForm(Form("MainWindow", 414, 545));
  P().RegisterForm(Form("HotkeyHostWindow", 13, 20, /*visible=*/false));
  int cleanups = 0;
  P().SetExitCleanup([&] { ++cleanups; });
  std::vector<std::string> steps;
  P().BindHandler("MainWindow", "MainWindow", event::kDestroyed,
                  [&](const EventArgs&) { steps.push_back("main destroyed"); });
  P().BindHandler("HotkeyHostWindow", "HotkeyHostWindow", event::kDestroyed,
                  [&](const EventArgs&) { steps.push_back("host destroyed"); });
  ASSERT_TRUE(P().LoadWindow("MainWindow"));
  ASSERT_TRUE(P().LoadWindow("HotkeyHostWindow"));
  EXPECT_FALSE(Widget("HotkeyHostWindow", "HotkeyHostWindow")->isVisible());

  QTimer::singleShot(10, [&] { P().UnloadWindow("MainWindow"); });
  QTimer::singleShot(80, [&] {
    steps.push_back(P().IsWindowLoaded("HotkeyHostWindow") ? "loop runs on" : "host gone");
    P().UnloadWindow("HotkeyHostWindow");
  });
  EXPECT_EQ(P().RunEventLoop(), 0);
  EXPECT_EQ(steps, (std::vector<std::string>{"main destroyed", "loop runs on", "host destroyed"}));
  EXPECT_EQ(cleanups, 1);
}

TEST_F(QtDialogTest, EventLoopWithNoWindowReturnsAtOnce) {
  int cleanups = 0;
  P().SetExitCleanup([&] { ++cleanups; });
  EXPECT_EQ(P().RunEventLoop(), 0);
  EXPECT_EQ(cleanups, 1);
}

}  // namespace
}  // namespace kalvor::test
