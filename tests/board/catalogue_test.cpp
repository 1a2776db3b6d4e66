// The sound catalogue against the board's published tables: the number rule, the captions page
// by page, the duplicate captions, the service buttons, and the sound archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "board/sound_catalogue.h"
#include "resources/sound_archive_list.h"

namespace kalvor {
namespace {

struct RuleCase {
  int n;
  GridCell cell;
};

TEST(SoundCatalogueTest, NumberRuleAtItsEdges) {
  const RuleCase cases[] = {
      {1, {1, 1, 1}},  {5, {1, 1, 5}},   {6, {1, 2, 1}},   {15, {1, 3, 5}},  {16, {1, 4, 1}},
      {17, {2, 1, 1}}, {31, {2, 3, 5}},  {32, {2, 4, 1}},  {33, {3, 1, 1}},  {96, {6, 4, 1}},
      {97, {7, 1, 1}}, {101, {7, 1, 5}}, {102, {7, 2, 1}}, {111, {7, 3, 5}}, {112, {7, 4, 1}},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(SoundCatalogue::CellOf(c.n), c.cell);
    EXPECT_EQ(SoundCatalogue::NumberAt(c.cell.page, c.cell.row, c.cell.column), c.n);
  }
}

TEST(SoundCatalogueTest, EveryGridCellHoldsOneNumberOrAServiceButton) {
  std::set<int> seen;
  for (int p = 1; p <= 7; ++p) {
    for (int r = 1; r <= 4; ++r) {
      for (int c = 1; c <= 5; ++c) {
        const int n = SoundCatalogue::NumberAt(p, r, c);
        if (r == 4 && c > 1) {
          EXPECT_EQ(n, 0) << p << "," << r << "," << c;
          continue;
        }
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 112);
        EXPECT_TRUE(seen.insert(n).second) << "number " << n << " in two cells";
        EXPECT_EQ(SoundCatalogue::CellOf(n), (GridCell{p, r, c}));
      }
    }
  }
  EXPECT_EQ(seen.size(), 112u);
}

TEST(SoundCatalogueTest, OutOfRangeGivesNothing) {
  EXPECT_EQ(SoundCatalogue::CellOf(0), GridCell{});
  EXPECT_EQ(SoundCatalogue::CellOf(113), GridCell{});
  EXPECT_EQ(SoundCatalogue::CellOf(-16), GridCell{});
  EXPECT_EQ(SoundCatalogue::NumberAt(0, 1, 1), 0);
  EXPECT_EQ(SoundCatalogue::NumberAt(8, 1, 1), 0);
  EXPECT_EQ(SoundCatalogue::NumberAt(1, 0, 1), 0);
  EXPECT_EQ(SoundCatalogue::NumberAt(1, 5, 1), 0);
  EXPECT_EQ(SoundCatalogue::NumberAt(1, 1, 0), 0);
  EXPECT_EQ(SoundCatalogue::NumberAt(1, 1, 6), 0);
  EXPECT_EQ(SoundCatalogue::Caption(0), "");
  EXPECT_EQ(SoundCatalogue::Caption(113), "");
  EXPECT_EQ(SoundCatalogue::PageCaption(0), "");
  EXPECT_EQ(SoundCatalogue::PageCaption(8), "");
}

TEST(SoundCatalogueTest, NumberClasses) {
  EXPECT_FALSE(SoundCatalogue::IsBuiltIn(0));
  EXPECT_TRUE(SoundCatalogue::IsBuiltIn(1));
  EXPECT_TRUE(SoundCatalogue::IsBuiltIn(96));
  EXPECT_FALSE(SoundCatalogue::IsBuiltIn(97));
  EXPECT_FALSE(SoundCatalogue::IsSlot(96));
  EXPECT_TRUE(SoundCatalogue::IsSlot(97));
  EXPECT_TRUE(SoundCatalogue::IsSlot(112));
  EXPECT_FALSE(SoundCatalogue::IsSlot(113));
  EXPECT_EQ(SoundCatalogue::UnitName(1), "音效按钮1");
  EXPECT_EQ(SoundCatalogue::UnitName(18), "音效按钮18");
  EXPECT_EQ(SoundCatalogue::UnitName(112), "音效按钮112");
}

// The captions as the board shows them, page by page: three rows of five, then row 4 column 1.
struct PageTable {
  std::string_view caption;
  std::array<std::array<std::string_view, 5>, 3> rows;
  std::string_view row4;
};

const PageTable kPages[] = {
    {"主持专用",
     {{{"多人笑声", "群众笑声", "欢呼掌声", "激烈掌声", "尖叫声"},
       {"放屁声", "小孩笑声", "婴儿笑声", "婴儿哭声", "邪恶笑声"},
       {"奸笑", "乌鸦飞过", "非诚勿扰男", "非诚勿扰女", "非诚勿扰灯"}}},
     "作者声音"},
    {"喊麦专用",
     {{{"欢呼掌声", "群众笑声", "欢呼掌声", "激烈掌声", "尖叫声"},
       {"奸笑", "Mc教学鼓", "给枪上膛", "机枪扫射", "敲门声"},
       {"狙击枪神", "打人拳声", "手枪声音", "英文正数", "砸玻璃声音"}}},
     "作者声音"},
    {"搞笑音效",
     {{{"娃娃音搞笑", "八戒背媳妇儿", "挑优秀老公", "精神病热线", "110热线"},
       {"哈利路亚", "救命", "搞笑1", "搞笑2", "搞笑3"},
       {"搞笑4", "搞笑5", "搞笑6", "搞笑7", "搞笑8"}}},
     "作者声音"},
    {"人物音效",
     {{{"麦吻男", "麦吻女", "麦吻女骚", "鄙视声音", "鞭打男人"},
       {"打饱嗝", "打呼噜", "鬼叫声男", "鬼叫声女", "打瞌睡"},
       {"男人咳嗽", "女人呻吟", "Dorvek笑声", "打喷嚏", "做人要厚道"}}},
     "作者声音"},
    {"交通音效",
     {{{"拖拉机声音", "警车声音", "救护车声音", "摩托车声音", "直升飞机"},
       {"刹车声音", "发动汽车", "汽车飘逸", "货车鸣笛", "汽车鸣笛"},
       {"火车鸣笛", "电车报站", "公交车报站", "火灾报警", "防空警报"}}},
     "作者声音"},
    {"音乐音效",
     {{{"readygo", "倒数计时", "斗地主胜利", "赌神出场", "非诚勿扰男"},
       {"伤不起高潮", "紧张气氛", "玛丽通关", "魔幻音乐", "气势片头"},
       {"新闻片头", "新闻联播", "幽默风趣1", "幽默风趣2", "幽默风趣3"}}},
     "作者声音"},
    {"自定义",
     {{{"自定义", "自定义", "自定义", "自定义", "自定义"},
       {"自定义", "自定义", "自定义", "自定义", "自定义"},
       {"自定义", "自定义", "自定义", "自定义", "自定义"}}},
     "自定义"},
};

TEST(SoundCatalogueTest, CaptionsMatchThePageTables) {
  for (int p = 1; p <= 7; ++p) {
    const PageTable& page = kPages[p - 1];
    EXPECT_EQ(SoundCatalogue::PageCaption(p), page.caption);
    for (int r = 1; r <= 3; ++r) {
      for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(SoundCatalogue::Caption(SoundCatalogue::NumberAt(p, r, c)),
                  page.rows[r - 1][c - 1])
            << "page " << p << " row " << r << " column " << c;
      }
    }
    EXPECT_EQ(SoundCatalogue::Caption(SoundCatalogue::NumberAt(p, 4, 1)), page.row4) << p;
  }
}

std::map<std::string_view, std::vector<int>> ButtonsByCaption() {
  std::map<std::string_view, std::vector<int>> byCaption;
  for (int n = 1; n <= 96; ++n) byCaption[SoundCatalogue::Caption(n)].push_back(n);
  return byCaption;
}

TEST(SoundCatalogueTest, BuiltInButtonsShareCaptionsOnlyAsListed) {
  const auto byCaption = ButtonsByCaption();
  EXPECT_EQ(byCaption.size(), 84u);

  const std::map<std::string_view, std::vector<int>> expected = {
      {"作者声音", {16, 32, 48, 64, 80, 96}},
      {"欢呼掌声", {3, 17, 19}},
      {"群众笑声", {2, 18}},
      {"激烈掌声", {4, 20}},
      {"尖叫声", {5, 21}},
      {"奸笑", {11, 22}},
      {"非诚勿扰男", {13, 85}},
  };
  std::map<std::string_view, std::vector<int>> shared;
  for (const auto& [caption, buttons] : byCaption) {
    if (buttons.size() > 1) shared.emplace(caption, buttons);
  }
  EXPECT_EQ(shared, expected);
}

// Sound files are matched without regard to the case of Latin letters.
std::string FoldLatin(std::string_view text) {
  std::string folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(), [](char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
  });
  return folded;
}

TEST(SoundCatalogueTest, EveryBuiltInCaptionNamesAnArchiveSound) {
  std::map<std::string, std::string_view> archiveByFolded;
  for (std::string_view name : kArchiveSoundNames) {
    EXPECT_TRUE(archiveByFolded.emplace(FoldLatin(name), name).second) << name;
  }
  int exact = 0;
  std::set<std::string_view> used;
  for (const auto& [caption, buttons] : ButtonsByCaption()) {
    const auto it = archiveByFolded.find(FoldLatin(caption));
    ASSERT_NE(it, archiveByFolded.end()) << caption << " has no sound file";
    used.insert(it->second);
    if (it->second == caption) ++exact;
  }
  EXPECT_EQ(exact, 83);
  EXPECT_EQ(SoundCatalogue::Caption(23), "Mc教学鼓");
  EXPECT_EQ(archiveByFolded.at(FoldLatin(SoundCatalogue::Caption(23))), "MC教学鼓");

  std::set<std::string_view> unused;
  for (std::string_view name : kArchiveSoundNames) {
    if (!used.contains(name)) unused.insert(name);
  }
  const std::set<std::string_view> onlyThroughSlots = {
      "倒开水", "倒硬币声", "剑刺声音", "咀嚼东西", "大雨",       "开啤酒盖", "恐怖鬼火",
      "打雷",   "拨打电话", "敲键盘声", "狗叫",     "电话嘟嘟声", "电话战线", "马桶冲水声",
  };
  EXPECT_EQ(unused, onlyThroughSlots);
}

TEST(SoundCatalogueTest, ServiceButtonsFillRowFourOfEveryPage) {
  const std::array<std::array<std::string_view, 4>, 7> names = {{
      {"按钮1", "按钮120", "按钮121", "按钮122"},
      {"按钮34", "按钮123", "按钮124", "按钮125"},
      {"按钮51", "按钮126", "按钮127", "按钮128"},
      {"按钮68", "按钮129", "按钮130", "按钮131"},
      {"按钮85", "按钮132", "按钮133", "按钮134"},
      {"按钮102", "按钮135", "按钮136", "按钮137"},
      {"按钮119", "按钮138", "按钮139", "按钮140"},
  }};
  const std::array<ServiceRole, 4> roles = {ServiceRole::Stop, ServiceRole::Contact,
                                            ServiceRole::Ads, ServiceRole::TopMost};
  const std::array<std::string_view, 4> captions = {"停止播放", "联系作者", "广告专区",
                                                    "置顶/取消"};

  const auto services = SoundCatalogue::ServiceButtons();
  ASSERT_EQ(services.size(), 28u);
  std::set<std::string_view> unique;
  for (int p = 1; p <= 7; ++p) {
    for (int c = 2; c <= 5; ++c) {
      const std::string_view name = names[p - 1][c - 2];
      const auto it = std::find_if(services.begin(), services.end(),
                                   [&](const ServiceButton& s) { return s.unitName == name; });
      ASSERT_NE(it, services.end()) << name;
      EXPECT_EQ(it->page, p) << name;
      EXPECT_EQ(it->column, c) << name;
      EXPECT_EQ(it->role, roles[c - 2]) << name;
      EXPECT_EQ(it->caption, captions[c - 2]) << name;
      unique.insert(it->unitName);
    }
  }
  EXPECT_EQ(unique.size(), 28u);
}

}  // namespace
}  // namespace kalvor
