// HotkeyDialog on the real Qt platform with its form: what the user picks, types and confirms, and
// what lands in the settings file. Message boxes are answered by the seam and recorded.
#include "board/hotkey_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <map>

#include "audio/audio_front_end.h"
#include "board/hotkey_targets.h"
#include "board/settings_file.h"
#include "platform/core/platform_seam.h"
#include "platform/platform_services.h"
#include "tests/board/desktop_test_support.h"
#include "tests/support/qt_wait_until.h"

namespace kalvor {
namespace {

constexpr std::string_view kDialog = "HotkeyDialog";
constexpr std::string_view kPlaceholder = "快捷键选择";
const std::string kTaken = "快捷键选择被占用";
const std::string kInvalid = "设置无效";

QComboBox* KeyBox() {
  return qobject_cast<QComboBox*>(test::Widget(kDialog, "组合框1"));
}

// The user picks an item from the list.
void Pick(const std::string& key) {
  QComboBox* box = KeyBox();
  const int index = box->findText(QString::fromStdString(key));
  ASSERT_GE(index, 0) << key;
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// The user types into the edit field (no selection event).
void Type(const std::string& text) {
  KeyBox()->setEditText(QString::fromStdString(text));
}

void Click(std::string_view button) {
  auto* b = qobject_cast<QAbstractButton*>(test::Widget(kDialog, button));
  ASSERT_NE(b, nullptr);
  b->click();
}

std::vector<std::string> MessageTexts() {
  std::vector<std::string> texts;
  for (const ShownMessage& m : PlatformSeam::Instance().Messages()) {
    EXPECT_EQ(m.style, kMbOk);
    EXPECT_EQ(m.title, "信息：");
    texts.push_back(m.text);
  }
  return texts;
}

class HotkeyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsFile::Remove();
    PlatformSeam::Instance().Reset();
  }
  void TearDown() override {
    if (Platform().IsWindowLoaded(kDialog)) Platform().UnloadWindow(kDialog);
    test::ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kDialog); });
  }

  // A right click on sound button `number` captioned `name` opens the dialog (or brings it
  // forward).
  static void RightClick(std::int32_t number, const std::string& name) {
    Targets().soundName = name;
    Targets().buttonNumber = number;
    Platform().LoadWindow(kDialog);
  }
  static void ConfirmAndWaitForClose() {
    Click("按钮1");
    ASSERT_TRUE(test::ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kDialog); }));
  }
};

struct ConfirmCase {
  std::string name;
  std::map<std::string, std::string> before;        // "ed/21" -> "F3"
  std::vector<std::pair<char, std::string>> steps;  // 'p' pick, 't' type
  std::map<std::string, std::string> after;         // entries that must read so ("" = missing)
  std::vector<std::string> messages;
};

std::pair<std::string, std::string> SectionAndKey(const std::string& entry) {
  const std::size_t slash = entry.find('/');
  return {entry.substr(0, slash), entry.substr(slash + 1)};
}

TEST_F(HotkeyDialogTest, ConfirmWritesLabelAndBindingForButton21) {
  const std::vector<ConfirmCase> cases = {
      {"unbound button gets F3", {}, {{'p', "F3"}}, {{"ed/21", "F3"}, {"dat/F3", "尖叫声"}}, {}},
      {"F3 moved to F5 withdraws F3",
       {{"ed/21", "F3"}, {"dat/F3", "尖叫声"}},
       {{'p', "F5"}},
       {{"ed/21", "F5"}, {"dat/F5", "尖叫声"}, {"dat/F3", "空"}},
       {}},
      {"confirm untouched keeps the binding",
       {{"ed/21", "F3"}, {"dat/F3", "尖叫声"}},
       {},
       {{"ed/21", "F3"}, {"dat/F3", "尖叫声"}},
       {}},
      {"own key picked again is refused, then the placeholder is invalid",
       {{"ed/21", "F3"}, {"dat/F3", "尖叫声"}},
       {{'p', "F3"}},
       {{"ed/21", "F3"}, {"dat/F3", "空"}},
       {kTaken, kInvalid}},
      {"key of other buttons is refused once",
       {{"ed/5", "F3"}, {"ed/96", "F3"}, {"dat/F3", "欢呼掌声"}},
       {{'p', "F3"}},
       {{"ed/21", ""}, {"ed/5", "F3"}, {"dat/F3", "欢呼掌声"}},
       {kTaken, kInvalid}},
      {"typed text that is no function key is stored as it is",
       {},
       {{'t', "F11"}},
       {{"ed/21", "F11"}, {"dat/F11", "尖叫声"}},
       {}},
  };
  for (const ConfirmCase& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsFile::Remove();
    PlatformSeam::Instance().Reset();
    for (const auto& [entry, value] : c.before) {
      const auto [section, key] = SectionAndKey(entry);
      SettingsFile::Write(section, key, value);
    }
    RightClick(21, "尖叫声");
    EXPECT_EQ(Platform().GetText(kDialog, "标签1", Prop::Caption), "尖叫声");
    for (const auto& [kind, text] : c.steps) {
      if (kind == 'p') {
        Pick(text);
      } else {
        Type(text);
      }
    }
    EXPECT_EQ(Platform().GetInt(kDialog, "按钮1", Prop::Disable), 0);
    ConfirmAndWaitForClose();
    for (const auto& [entry, value] : c.after) {
      const auto [section, key] = SectionAndKey(entry);
      EXPECT_EQ(SettingsFile::Read(section, key), value) << entry;
    }
    EXPECT_EQ(MessageTexts(), c.messages);
  }
}

TEST_F(HotkeyDialogTest, RefusalShowsThePlaceholderAtOnce) {
  SettingsFile::Write("ed", "7", "F2");
  RightClick(21, "尖叫声");
  Pick("F2");
  EXPECT_EQ(KeyBox()->currentText().toStdString(), kPlaceholder);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kTaken});
  EXPECT_EQ(SettingsFile::Read("ed", "21"), "");  // nothing written before the confirm
}

TEST_F(HotkeyDialogTest, UnboundButtonWithdrawsUnderTheEmptyKey) {
  RightClick(21, "尖叫声");
  EXPECT_EQ(KeyBox()->currentText().toStdString(), "");
  Pick("F3");
  ConfirmAndWaitForClose();
  EXPECT_EQ(PreviousHotkeyLabel(), "");
  // The previous label was empty: "空" went to [dat] under the empty key name.
  EXPECT_NE(test::RawSettings().find("\n=\xBF\xD5"), std::string::npos) << test::RawSettings();
}

TEST_F(HotkeyDialogTest, RightClickOnAnotherButtonRetargetsTheOpenDialog) {
  SettingsFile::Write("ed", "21", "F3");
  SettingsFile::Write("dat", "F3", "尖叫声");
  RightClick(21, "尖叫声");
  RightClick(3, "欢呼掌声");  // brought forward; its created handler does not run again
  EXPECT_EQ(Platform().GetText(kDialog, "标签1", Prop::Caption), "尖叫声");
  EXPECT_EQ(KeyBox()->currentText().toStdString(), "F3");
  Pick("F5");
  ConfirmAndWaitForClose();
  EXPECT_EQ(SettingsFile::Read("ed", "3"), "F5");
  EXPECT_EQ(SettingsFile::Read("dat", "F5"), "欢呼掌声");
  EXPECT_EQ(SettingsFile::Read("dat", "F3"), "空");
  EXPECT_EQ(SettingsFile::Read("ed", "21"), "F3");
}

TEST_F(HotkeyDialogTest, ClearAllLeavesOnlyVolumeAndDevice) {
  SettingsFile::Write("ed", "21", "F3");
  SettingsFile::Write("dat", "F3", "尖叫声");
  SettingsFile::Write("zdy", "100", "/tmp/a.mp3");
  SettingsFile::Write("标题", "100", "我的");
  SettingsFile::Write("data", "kjj", "2");
  if (!Platform().IsWindowLoaded("MainWindow")) Platform().LoadWindow("MainWindow");
  Platform().SetInt("MainWindow", "滑块条1", Prop::Position, 57);
  Audio().outputDevice = 3;

  RightClick(21, "尖叫声");
  Click("按钮2");
  ASSERT_TRUE(test::ProcessEventsUntil([] { return !Platform().IsWindowLoaded(kDialog); }));
  EXPECT_EQ(SettingsFile::Read("data", "vi"), "57");
  EXPECT_EQ(SettingsFile::Read("data", "id"), "3");
  for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
           {"ed", "21"}, {"dat", "F3"}, {"zdy", "100"}, {"标题", "100"}, {"data", "kjj"}}) {
    EXPECT_EQ(SettingsFile::Read(section, key), "") << section << "/" << key;
  }
  EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
}  // namespace kalvor
