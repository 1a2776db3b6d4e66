// The 140 buttons of the main window's tab pages: each cell of each page holds the button the
// number rule or the service table names, at the grid position, with its caption.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <string_view>

#include "board/main_window_form.h"
#include "board/sound_catalogue.h"

namespace kalvor {
namespace {

// Row 4, columns 2..5 of each page.
constexpr std::array<std::array<std::string_view, 4>, 7> kServiceNames = {{
    {"按钮1", "按钮120", "按钮121", "按钮122"},
    {"按钮34", "按钮123", "按钮124", "按钮125"},
    {"按钮51", "按钮126", "按钮127", "按钮128"},
    {"按钮68", "按钮129", "按钮130", "按钮131"},
    {"按钮85", "按钮132", "按钮133", "按钮134"},
    {"按钮102", "按钮135", "按钮136", "按钮137"},
    {"按钮119", "按钮138", "按钮139", "按钮140"},
}};
constexpr std::array<std::string_view, 4> kServiceCaptions = {"停止播放", "联系作者", "广告专区",
                                                              "置顶/取消"};

class TabGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const ControlDef& c : form_.controls) {
      if (c.parent == "选择夹1") buttons_.emplace(c.name, &c);
    }
  }

  FormDef form_ = MainWindowForm::Build();
  std::map<std::string, const ControlDef*> buttons_;
};

TEST_F(TabGridTest, EveryCellHoldsItsButton) {
  EXPECT_EQ(buttons_.size(), 140u);
  for (int p = 1; p <= 7; ++p) {
    for (int r = 1; r <= 4; ++r) {
      for (int c = 1; c <= 5; ++c) {
        SCOPED_TRACE(testing::Message() << "page " << p << " row " << r << " column " << c);
        const bool service = r == 4 && c > 1;
        const int n = r == 4 ? 16 * p : 16 * (p - 1) + 5 * (r - 1) + c;
        const std::string name =
            service ? std::string(kServiceNames[p - 1][c - 2]) : "音效按钮" + std::to_string(n);
        const auto it = buttons_.find(name);
        ASSERT_NE(it, buttons_.end()) << name;
        const ControlDef& b = *it->second;
        EXPECT_EQ(b.kind, ControlKind::Button);
        EXPECT_EQ(b.page, p);
        EXPECT_EQ(b.x, 16 + 80 * (c - 1));
        EXPECT_EQ(b.y, 32 + 40 * (r - 1));
        EXPECT_EQ(b.w, 72);
        EXPECT_EQ(b.h, 32);
        EXPECT_TRUE(b.font.family.empty());
        EXPECT_EQ(b.caption, service ? kServiceCaptions[c - 2] : SoundCatalogue::Caption(n));
      }
    }
  }
}

TEST_F(TabGridTest, CaptionsThatMatterToPlayback) {
  EXPECT_EQ(buttons_.at("音效按钮23")->caption, "Mc教学鼓");
  EXPECT_EQ(buttons_.at("音效按钮3")->caption, buttons_.at("音效按钮19")->caption);
  for (int n = 97; n <= 112; ++n) {
    EXPECT_EQ(buttons_.at("音效按钮" + std::to_string(n))->caption, "自定义") << n;
  }
}

// The grid fits inside the tab control, whatever the page.
TEST_F(TabGridTest, GridFitsTheTabControl) {
  const ControlDef* tab = nullptr;
  for (const ControlDef& c : form_.controls) {
    if (c.name == "选择夹1") tab = &c;
  }
  ASSERT_NE(tab, nullptr);
  for (const auto& [name, b] : buttons_) {
    EXPECT_LE(b->x + b->w, tab->w) << name;
    EXPECT_LE(b->y + b->h, tab->h) << name;
  }
}

}  // namespace
}  // namespace kalvor
