#include "board/ads_window_form.h"

#include <string>

namespace kalvor {

namespace {

constexpr std::string_view kTitle =
    "╔———————————╗\n"
    "│     Kalvor工作室       │\n"
    "╚———————————╝";

constexpr std::string_view kAdvert =
    "Kalvor工作室承接声卡调试业务：\n"
    "\n"
    "★ 内置、外置声卡驱动安装与机架调试\n"
    "★ 直播、K歌、喊麦效果一对一远程调音\n"
    "★ 混响、电音、变声、闪避等效果定制\n"
    "★ 耳返监听与伴奏设置，告别回音与啸叫\n"
    "★ 主持、MC专用跳线方案，一次调好长期可用\n"
    "\n"
    "服务方式：远程协助，调好为止，不满意不收费。\n"
    "服务时间：每天 10:00 — 24:00\n"
    "咨询预约：点击主窗口的“联系作者”按钮，与我们在线沟通。";

// Red 88, green 48, blue 224 in 0x00BBGGRR.
constexpr std::int32_t kAdvertColor = 0x00E03058;

}  // namespace

FormDef AdsWindowForm::Build() {
  FormDef form{.name = std::string(kName), .outerWidth = 445, .outerHeight = 382};
  auto& c = form.controls;
  c.push_back({.name = "分组框3",
               .kind = ControlKind::GroupBox,
               .x = 8,
               .y = 8,
               .w = 424,
               .h = 336,
               .caption = "广告区"});
  c.push_back({.name = "分组框8",
               .kind = ControlKind::GroupBox,
               .parent = "分组框3",
               .x = 7,
               .y = 17,
               .w = 409,
               .h = 311,
               .caption = "声卡业务:"});
  c.push_back({.name = "标签19",
               .kind = ControlKind::Label,
               .parent = "分组框8",
               .x = 121,
               .y = 8,
               .w = 160,
               .h = 39,
               .caption = std::string(kTitle),
               .multiLine = true});
  c.push_back({.name = "标签1",
               .kind = ControlKind::Label,
               .parent = "分组框8",
               .x = 1,
               .y = 55,
               .w = 400,
               .h = 248,
               .caption = std::string(kAdvert),
               .textColor = kAdvertColor,
               .multiLine = true});
  return form;
}

}  // namespace kalvor
