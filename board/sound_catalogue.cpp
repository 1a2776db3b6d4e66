#include "board/sound_catalogue.h"

#include <array>

namespace kalvor {

namespace {

// In button order: each page's three rows of five, then its row-4 column-1 button.
// clang-format off
constexpr std::array<std::string_view, SoundCatalogue::kLastSlot> kCaptions = {
    // 主持专用
    "多人笑声",   "群众笑声",     "欢呼掌声",   "激烈掌声",   "尖叫声",
    "放屁声",     "小孩笑声",     "婴儿笑声",   "婴儿哭声",   "邪恶笑声",
    "奸笑",       "乌鸦飞过",     "非诚勿扰男", "非诚勿扰女", "非诚勿扰灯",
    "作者声音",
    // 喊麦专用
    "欢呼掌声",   "群众笑声",     "欢呼掌声",   "激烈掌声",   "尖叫声",
    "奸笑",       "Mc教学鼓",     "给枪上膛",   "机枪扫射",   "敲门声",
    "狙击枪神",   "打人拳声",     "手枪声音",   "英文正数",   "砸玻璃声音",
    "作者声音",
    // 搞笑音效
    "娃娃音搞笑", "八戒背媳妇儿", "挑优秀老公", "精神病热线", "110热线",
    "哈利路亚",   "救命",         "搞笑1",      "搞笑2",      "搞笑3",
    "搞笑4",      "搞笑5",        "搞笑6",      "搞笑7",      "搞笑8",
    "作者声音",
    // 人物音效
    "麦吻男",     "麦吻女",       "麦吻女骚",   "鄙视声音",   "鞭打男人",
    "打饱嗝",     "打呼噜",       "鬼叫声男",   "鬼叫声女",   "打瞌睡",
    "男人咳嗽",   "女人呻吟",     "Dorvek笑声", "打喷嚏",     "做人要厚道",
    "作者声音",
    // 交通音效
    "拖拉机声音", "警车声音",     "救护车声音", "摩托车声音", "直升飞机",
    "刹车声音",   "发动汽车",     "汽车飘逸",   "货车鸣笛",   "汽车鸣笛",
    "火车鸣笛",   "电车报站",     "公交车报站", "火灾报警",   "防空警报",
    "作者声音",
    // 音乐音效
    "readygo",    "倒数计时",     "斗地主胜利", "赌神出场",   "非诚勿扰男",
    "伤不起高潮", "紧张气氛",     "玛丽通关",   "魔幻音乐",   "气势片头",
    "新闻片头",   "新闻联播",     "幽默风趣1",  "幽默风趣2",  "幽默风趣3",
    "作者声音",
    // 自定义
    "自定义",     "自定义",       "自定义",     "自定义",     "自定义",
    "自定义",     "自定义",       "自定义",     "自定义",     "自定义",
    "自定义",     "自定义",       "自定义",     "自定义",     "自定义",
    "自定义",
};
// clang-format on

constexpr std::array<std::string_view, SoundCatalogue::kPages> kPageCaptions = {
    "主持专用", "喊麦专用", "搞笑音效", "人物音效", "交通音效", "音乐音效", "自定义",
};

constexpr std::string_view kStop = "停止播放";
constexpr std::string_view kContact = "联系作者";
constexpr std::string_view kAds = "广告专区";
constexpr std::string_view kTopMost = "置顶/取消";

constexpr std::array<ServiceButton, 4 * SoundCatalogue::kPages> kServiceButtons = {{
    {"按钮1", 1, 2, ServiceRole::Stop, kStop},   {"按钮120", 1, 3, ServiceRole::Contact, kContact},
    {"按钮121", 1, 4, ServiceRole::Ads, kAds},   {"按钮122", 1, 5, ServiceRole::TopMost, kTopMost},
    {"按钮34", 2, 2, ServiceRole::Stop, kStop},  {"按钮123", 2, 3, ServiceRole::Contact, kContact},
    {"按钮124", 2, 4, ServiceRole::Ads, kAds},   {"按钮125", 2, 5, ServiceRole::TopMost, kTopMost},
    {"按钮51", 3, 2, ServiceRole::Stop, kStop},  {"按钮126", 3, 3, ServiceRole::Contact, kContact},
    {"按钮127", 3, 4, ServiceRole::Ads, kAds},   {"按钮128", 3, 5, ServiceRole::TopMost, kTopMost},
    {"按钮68", 4, 2, ServiceRole::Stop, kStop},  {"按钮129", 4, 3, ServiceRole::Contact, kContact},
    {"按钮130", 4, 4, ServiceRole::Ads, kAds},   {"按钮131", 4, 5, ServiceRole::TopMost, kTopMost},
    {"按钮85", 5, 2, ServiceRole::Stop, kStop},  {"按钮132", 5, 3, ServiceRole::Contact, kContact},
    {"按钮133", 5, 4, ServiceRole::Ads, kAds},   {"按钮134", 5, 5, ServiceRole::TopMost, kTopMost},
    {"按钮102", 6, 2, ServiceRole::Stop, kStop}, {"按钮135", 6, 3, ServiceRole::Contact, kContact},
    {"按钮136", 6, 4, ServiceRole::Ads, kAds},   {"按钮137", 6, 5, ServiceRole::TopMost, kTopMost},
    {"按钮119", 7, 2, ServiceRole::Stop, kStop}, {"按钮138", 7, 3, ServiceRole::Contact, kContact},
    {"按钮139", 7, 4, ServiceRole::Ads, kAds},   {"按钮140", 7, 5, ServiceRole::TopMost, kTopMost},
}};

bool InRange(int n) {
  return n >= SoundCatalogue::kFirstBuiltIn && n <= SoundCatalogue::kLastSlot;
}

}  // namespace

std::string_view SoundCatalogue::Caption(int n) {
  return InRange(n) ? kCaptions[static_cast<std::size_t>(n - 1)] : std::string_view{};
}

GridCell SoundCatalogue::CellOf(int n) {
  if (!InRange(n)) return {};
  const int page = (n + kButtonsPerPage - 1) / kButtonsPerPage;
  const int k = n - kButtonsPerPage * (page - 1);
  if (k == kButtonsPerPage) return {page, kRows, 1};
  const int row = (k + kColumns - 1) / kColumns;
  return {page, row, k - kColumns * (row - 1)};
}

int SoundCatalogue::NumberAt(int page, int row, int column) {
  if (page < 1 || page > kPages || row < 1 || row > kRows || column < 1 || column > kColumns) {
    return 0;
  }
  if (row == kRows) return column == 1 ? kButtonsPerPage * page : 0;
  return kButtonsPerPage * (page - 1) + kColumns * (row - 1) + column;
}

std::string SoundCatalogue::UnitName(int n) {
  return "音效按钮" + std::to_string(n);
}

bool SoundCatalogue::IsBuiltIn(int n) {
  return n >= kFirstBuiltIn && n <= kLastBuiltIn;
}

bool SoundCatalogue::IsSlot(int n) {
  return n >= kFirstSlot && n <= kLastSlot;
}

std::string_view SoundCatalogue::PageCaption(int page) {
  return page >= 1 && page <= kPages ? kPageCaptions[static_cast<std::size_t>(page - 1)]
                                     : std::string_view{};
}

std::span<const ServiceButton> SoundCatalogue::ServiceButtons() {
  return kServiceButtons;
}

}  // namespace kalvor
