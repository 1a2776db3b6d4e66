// The five windows against the board's layout tables: every control that is not a tab-page
// button, with its kind, parent, geometry and caption, plus the properties the tables name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_forms.h"
#include "board/web_addresses.h"
#include "platform/null_platform.h"

namespace kalvor {
namespace {

using K = ControlKind;

const FormDef& Form(std::string_view window) {
  static const std::vector<FormDef> forms = BoardForms::All();
  for (const FormDef& form : forms) {
    if (form.name == window) return form;
  }
  ADD_FAILURE() << "no window " << window;
  std::abort();
}

const ControlDef* Find(std::string_view window, std::string_view unit) {
  for (const ControlDef& control : Form(window).controls) {
    if (control.name == unit) return &control;
  }
  return nullptr;
}

struct WindowRow {
  std::string_view name;
  std::string_view caption;
  int x, y, w, h;
  bool visible;
};

TEST(BoardFormsTest, Windows) {
  const WindowRow rows[] = {
      {"MainWindow", "Kalvor音效助手", -1, -1, 414, 545, true},
      {"HotkeyDialog", "快捷键设置窗口", 50, 50, 310, 88, true},
      {"CustomSoundDialog", "", -1, -1, 363, 105, true},
      {"HotkeyHostWindow", "", 50, 50, 13, 20, false},
      {"AdsWindow", "", -1, -1, 445, 382, true},
  };
  const std::vector<FormDef> forms = BoardForms::All();
  ASSERT_EQ(forms.size(), std::size(rows));
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const WindowRow& row = rows[i];
    const FormDef& form = forms[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(form.name, row.name);
    EXPECT_EQ(form.caption, row.caption);
    EXPECT_EQ(form.x, row.x);
    EXPECT_EQ(form.y, row.y);
    EXPECT_EQ(form.outerWidth, row.w);
    EXPECT_EQ(form.outerHeight, row.h);
    EXPECT_EQ(form.visible, row.visible);
    // Only the main window carries an icon.
    EXPECT_EQ(form.icon.empty(), row.name != "MainWindow");
  }
}

// A caption of nullopt is checked elsewhere (free text).
struct ControlRow {
  std::string_view window;
  std::string_view unit;
  ControlKind kind;
  std::string_view parent;
  int x, y, w, h;
  std::optional<std::string_view> caption;
};

constexpr std::string_view kNoCaption = "";

const ControlRow kControls[] = {
    {"MainWindow", "图片框1", K::PictureBox, "", -8, -24, 424, 152, kNoCaption},
    {"MainWindow", "选择夹1", K::TabControl, "", -8, 126, 424, 191, kNoCaption},
    {"MainWindow", "分组框2", K::GroupBox, "", -8, 310, 424, 32, kNoCaption},
    {"MainWindow", "标签1", K::Label, "分组框2", 16, 9, 48, 16, "音量调节"},
    {"MainWindow", "滑块条1", K::Slider, "分组框2", 72, 8, 128, 20, kNoCaption},
    {"MainWindow", "音量大小标示", K::Label, "分组框2", 194, 7, 20, 20, "50"},
    {"MainWindow", "音量百分号", K::Label, "分组框2", 218, 7, 8, 20, "%"},
    {"MainWindow", "选择框1", K::CheckBox, "分组框2", 232, 10, 72, 16, "热键开关"},
    {"MainWindow", "标签2", K::Label, "分组框2", 304, 10, 112, 16, kNoCaption},
    {"MainWindow", "透明标签2", K::TransparentLabel, "", 40, 345, 56, 16, "音频输出："},
    {"MainWindow", "组合框输出通道", K::ComboList, "", 96, 344, 264, 20, kNoCaption},
    {"MainWindow", "图片框2", K::PictureBox, "", -8, 368, 424, 160, kNoCaption},
    {"MainWindow", "分组框1", K::GroupBox, "", 448, 304, 136, 96, kNoCaption},
    {"MainWindow", "超文本浏览框1", K::WebViewer, "分组框1", 16, 16, 104, 56, web::kWebShop},
    {"MainWindow", "ZIP压缩1", K::ArchiveUnit, "", 0, 0, 0, 0, kNoCaption},

    {"HotkeyDialog", "标签1", K::Label, "", 8, 8, 136, 24, kNoCaption},
    {"HotkeyDialog", "组合框1", K::ComboEdit, "", 152, 8, 152, 20, kNoCaption},
    {"HotkeyDialog", "按钮2", K::Button, "", 88, 32, 104, 24, "清除所有快捷键"},
    {"HotkeyDialog", "按钮1", K::Button, "", 224, 32, 72, 24, "确定"},

    {"CustomSoundDialog", "标签1", K::Label, "", 8, 16, 40, 24, "音效："},
    {"CustomSoundDialog", "编辑框1", K::EditBox, "", 48, 16, 232, 24, kNoCaption},
    {"CustomSoundDialog", "标签2", K::Label, "", 8, 48, 32, 24, "路径："},
    {"CustomSoundDialog", "编辑框2", K::EditBox, "", 48, 48, 232, 24, kNoCaption},
    {"CustomSoundDialog", "按钮1", K::Button, "", 288, 16, 64, 24, "选择"},
    {"CustomSoundDialog", "按钮2", K::Button, "", 288, 48, 64, 24, "添加"},
    {"CustomSoundDialog", "通用对话框1", K::FileDialog, "", 0, 0, 0, 0, kNoCaption},

    {"HotkeyHostWindow", "标签1", K::Label, "", 8, 24, 192, 40, kNoCaption},

    {"AdsWindow", "分组框3", K::GroupBox, "", 8, 8, 424, 336, "广告区"},
    {"AdsWindow", "分组框8", K::GroupBox, "分组框3", 7, 17, 409, 311, "声卡业务:"},
    {"AdsWindow", "标签19", K::Label, "分组框8", 121, 8, 160, 39,
     "╔———————————╗\n│     Kalvor工作室       │\n╚———————————╝"},
    {"AdsWindow", "标签1", K::Label, "分组框8", 1, 55, 400, 248, std::nullopt},
};

TEST(BoardFormsTest, ControlsMatchTheLayoutTables) {
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(std::string(row.window) + "/" + std::string(row.unit));
    const ControlDef* c = Find(row.window, row.unit);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, row.kind);
    EXPECT_EQ(c->parent, row.parent);
    EXPECT_EQ(c->page, 0);
    EXPECT_EQ(c->x, row.x);
    EXPECT_EQ(c->y, row.y);
    EXPECT_EQ(c->w, row.w);
    EXPECT_EQ(c->h, row.h);
    if (row.caption) {
      EXPECT_EQ(c->caption, *row.caption);
    }
  }
}

// Besides the rows above the main window holds only the 140 buttons of the tab pages.
TEST(BoardFormsTest, NoControlBeyondTheTables) {
  std::map<std::string_view, std::size_t> expected = {{"MainWindow", 140}};
  for (const ControlRow& row : kControls) ++expected[row.window];
  for (const FormDef& form : BoardForms::All()) {
    EXPECT_EQ(form.controls.size(), expected[form.name]) << form.name;
  }
}

// Names are unique per window, a parent is a group box or the tab control declared before its
// children, and only children of the tab control carry a page.
TEST(BoardFormsTest, ParentsAndPages) {
  for (const FormDef& form : BoardForms::All()) {
    std::map<std::string_view, const ControlDef*> declared;
    for (const ControlDef& c : form.controls) {
      SCOPED_TRACE(form.name + "/" + c.name);
      EXPECT_TRUE(declared.emplace(c.name, &c).second) << "duplicate name";
      if (c.parent.empty()) {
        EXPECT_EQ(c.page, 0);
        continue;
      }
      const auto it = declared.find(c.parent);
      ASSERT_NE(it, declared.end()) << "parent missing or declared later";
      const ControlDef& parent = *it->second;
      if (parent.kind == K::TabControl) {
        EXPECT_GE(c.page, 1);
        EXPECT_LE(static_cast<std::size_t>(c.page), parent.items.size());
      } else {
        EXPECT_EQ(parent.kind, K::GroupBox);
        EXPECT_EQ(c.page, 0);
      }
    }
  }
}

TEST(BoardFormsTest, MainWindowProperties) {
  const FormDef& form = Form("MainWindow");
  EXPECT_EQ(form.icon, ":/kalvor/icon.png");

  const ControlDef* tab = Find("MainWindow", "选择夹1");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->items, (std::vector<std::string>{"主持专用", "喊麦专用", "搞笑音效", "人物音效",
                                                  "交通音效", "音乐音效", "自定义"}));
  EXPECT_EQ(tab->font.family, "宋体");
  EXPECT_EQ(tab->font.pixelHeight, 12);
  EXPECT_EQ(tab->font.weight, 400);
  EXPECT_EQ(tab->font.charset, 134);

  const ControlDef* slider = Find("MainWindow", "滑块条1");
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->minimum, 0);
  EXPECT_EQ(slider->maximum, 100);
  EXPECT_EQ(slider->position, 50);
  EXPECT_EQ(slider->lineStep, 1);
  EXPECT_EQ(slider->pageStep, 5);

  const ControlDef* status = Find("MainWindow", "标签2");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->textColor, 0x00FF0000);  // blue, 0x00BBGGRR

  const ControlDef* devices = Find("MainWindow", "组合框输出通道");
  ASSERT_NE(devices, nullptr);
  EXPECT_TRUE(devices->items.empty());

  const ControlDef* top = Find("MainWindow", "图片框1");
  const ControlDef* bottom = Find("MainWindow", "图片框2");
  ASSERT_NE(top, nullptr);
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(top->image, ":/kalvor/banner_top.gif");
  EXPECT_EQ(bottom->image, ":/kalvor/banner_bottom.gif");

  // Every other control keeps the default font and colour.
  for (const ControlDef& c : form.controls) {
    if (c.name == "选择夹1") continue;
    EXPECT_TRUE(c.font.family.empty()) << c.name;
    if (c.name != "标签2") {
      EXPECT_EQ(c.textColor, -1) << c.name;
    }
  }
}

TEST(BoardFormsTest, TheWebShopAddressIsOurs) {
  const std::string_view address = web::kWebShop;
  EXPECT_TRUE(address.starts_with("https://")) << address;
  // The reserved example domain: nothing real is ever contacted.
  const auto host = address.substr(8, address.find('/', 8) - 8);
  EXPECT_TRUE(host.ends_with(".example")) << address;
}

// The shop viewer's group box starts right of the window's outer edge, so no part of it can
// show in the client area.
TEST(BoardFormsTest, ShopViewerLiesOutOfSight) {
  const FormDef& form = Form("MainWindow");
  const ControlDef* group = Find("MainWindow", "分组框1");
  const ControlDef* viewer = Find("MainWindow", "超文本浏览框1");
  ASSERT_NE(group, nullptr);
  ASSERT_NE(viewer, nullptr);
  EXPECT_GE(group->x, form.outerWidth);
  EXPECT_GE(group->x + viewer->x, form.outerWidth);
}

TEST(BoardFormsTest, HotkeyDialogKeyList) {
  const ControlDef* keys = Find("HotkeyDialog", "组合框1");
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->items, (std::vector<std::string>{"快捷键选择", "F1", "F2", "F3", "F4", "F5", "F6",
                                                   "F7", "F8", "F9", "F10"}));
}

TEST(BoardFormsTest, AdsWindowTexts) {
  const ControlDef* title = Find("AdsWindow", "标签19");
  const ControlDef* advert = Find("AdsWindow", "标签1");
  ASSERT_NE(title, nullptr);
  ASSERT_NE(advert, nullptr);
  EXPECT_TRUE(title->multiLine);
  EXPECT_TRUE(advert->multiLine);
  EXPECT_EQ(advert->textColor, 88 | 48 << 8 | 224 << 16);
  EXPECT_NE(advert->caption.find("声卡"), std::string::npos);
  EXPECT_NE(advert->caption.find("Kalvor工作室"), std::string::npos);
  EXPECT_GE(std::count(advert->caption.begin(), advert->caption.end(), '\n'), 3);
}

// Records the registered forms; nothing else of the platform is used.
class RecordingPlatform : public NullPlatform {
 public:
  std::vector<std::string> registered;

  void RegisterForm(const FormDef& form) override { registered.push_back(form.name); }
};

TEST(BoardFormsTest, RegisterAllRegistersTheFiveWindows) {
  RecordingPlatform platform;
  BoardForms::RegisterAll(platform);
  EXPECT_EQ(platform.registered,
            (std::vector<std::string>{"MainWindow", "HotkeyDialog", "CustomSoundDialog",
                                      "HotkeyHostWindow", "AdsWindow"}));
}

}  // namespace
}  // namespace kalvor
