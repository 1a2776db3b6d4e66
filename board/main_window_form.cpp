#include "board/main_window_form.h"

#include <string>

#include "board/sound_catalogue.h"
#include "board/web_addresses.h"

namespace kalvor {

namespace {

constexpr std::string_view kVolumeGroup = "分组框2";
constexpr std::string_view kShopGroup = "分组框1";

// Blue in 0x00BBGGRR.
constexpr std::int32_t kBlue = 0xFF0000;

ControlDef GridButton(std::string name, int page, int row, int column, std::string_view caption) {
  return {
      .name = std::move(name),
      .kind = ControlKind::Button,
      .parent = std::string(MainWindowForm::kTabs),
      .page = page,
      .x = MainWindowForm::kGridLeft + MainWindowForm::kColumnPitch * (column - 1),
      .y = MainWindowForm::kGridTop + MainWindowForm::kRowPitch * (row - 1),
      .w = MainWindowForm::kButtonWidth,
      .h = MainWindowForm::kButtonHeight,
      .caption = std::string(caption),
  };
}

// The page's sixteen sound buttons in number order, then its four service buttons.
void AddPageButtons(int page, std::vector<ControlDef>& controls) {
  const int first = SoundCatalogue::kButtonsPerPage * (page - 1) + 1;
  for (int n = first; n < first + SoundCatalogue::kButtonsPerPage; ++n) {
    const GridCell cell = SoundCatalogue::CellOf(n);
    controls.push_back(GridButton(SoundCatalogue::UnitName(n), page, cell.row, cell.column,
                                  SoundCatalogue::Caption(n)));
  }
  for (const ServiceButton& service : SoundCatalogue::ServiceButtons()) {
    if (service.page != page) continue;
    controls.push_back(GridButton(std::string(service.unitName), page, SoundCatalogue::kRows,
                                  service.column, service.caption));
  }
}

}  // namespace

FormDef MainWindowForm::Build() {
  FormDef form{
      .name = std::string(kName),
      .caption = "Kalvor音效助手",
      .outerWidth = 414,
      .outerHeight = 545,
      .icon = std::string(kIconResource),
  };
  auto& c = form.controls;

  c.push_back({.name = std::string(kTopBanner),
               .kind = ControlKind::PictureBox,
               .x = -8,
               .y = -24,
               .w = 424,
               .h = 152,
               .image = std::string(kTopBannerResource)});

  ControlDef tab{.name = std::string(MainWindowForm::kTabs),
                 .kind = ControlKind::TabControl,
                 .x = -8,
                 .y = 126,
                 .w = 424,
                 .h = 191,
                 .font = {.family = "宋体", .pixelHeight = 12, .weight = 400, .charset = 134}};
  for (int page = 1; page <= SoundCatalogue::kPages; ++page) {
    tab.items.emplace_back(SoundCatalogue::PageCaption(page));
  }
  c.push_back(std::move(tab));
  for (int page = 1; page <= SoundCatalogue::kPages; ++page) AddPageButtons(page, c);

  const std::string volume(kVolumeGroup);
  c.push_back(
      {.name = volume, .kind = ControlKind::GroupBox, .x = -8, .y = 310, .w = 424, .h = 32});
  c.push_back({.name = "标签1",
               .kind = ControlKind::Label,
               .parent = volume,
               .x = 16,
               .y = 9,
               .w = 48,
               .h = 16,
               .caption = "音量调节"});
  c.push_back({.name = std::string(kVolumeSlider),
               .kind = ControlKind::Slider,
               .parent = volume,
               .x = 72,
               .y = 8,
               .w = 128,
               .h = 20,
               .minimum = 0,
               .maximum = 100,
               .position = 50,
               .lineStep = 1,
               .pageStep = 5});
  c.push_back({.name = std::string(kVolumeLabel),
               .kind = ControlKind::Label,
               .parent = volume,
               .x = 194,
               .y = 7,
               .w = 20,
               .h = 20,
               .caption = "50"});
  c.push_back({.name = "音量百分号",
               .kind = ControlKind::Label,
               .parent = volume,
               .x = 218,
               .y = 7,
               .w = 8,
               .h = 20,
               .caption = "%"});
  c.push_back({.name = std::string(kHotkeySwitch),
               .kind = ControlKind::CheckBox,
               .parent = volume,
               .x = 232,
               .y = 10,
               .w = 72,
               .h = 16,
               .caption = "热键开关"});
  c.push_back({.name = std::string(kHotkeyLabel),
               .kind = ControlKind::Label,
               .parent = volume,
               .x = 304,
               .y = 10,
               .w = 112,
               .h = 16,
               .textColor = kBlue});

  c.push_back({.name = "透明标签2",
               .kind = ControlKind::TransparentLabel,
               .x = 40,
               .y = 345,
               .w = 56,
               .h = 16,
               .caption = "音频输出："});
  c.push_back({.name = std::string(kDeviceList),
               .kind = ControlKind::ComboList,
               .x = 96,
               .y = 344,
               .w = 264,
               .h = 20});
  c.push_back({.name = std::string(kBottomBanner),
               .kind = ControlKind::PictureBox,
               .x = -8,
               .y = 368,
               .w = 424,
               .h = 160,
               .image = std::string(kBottomBannerResource)});

  // Lies wholly right of the window's client area: the shop page loads but is never seen.
  const std::string shop(kShopGroup);
  c.push_back({.name = shop, .kind = ControlKind::GroupBox, .x = 448, .y = 304, .w = 136, .h = 96});
  c.push_back({.name = "超文本浏览框1",
               .kind = ControlKind::WebViewer,
               .parent = shop,
               .x = 16,
               .y = 16,
               .w = 104,
               .h = 56,
               .caption = std::string(web::kWebShop)});

  c.push_back({.name = std::string(kArchive), .kind = ControlKind::ArchiveUnit});
  return form;
}

}  // namespace kalvor
