// A small window shown through the Qt platform: a tab control with sound-style buttons, a
// volume row and a device list, with a few handlers. `kalvor_demo --grab out.png` saves a
// picture of the window and ends instead of waiting for the user.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/core_platform.h"
#include "app/qt_platform.h"

namespace {

using kalvor::ControlDef;
using kalvor::ControlKind;
using kalvor::FormDef;
using kalvor::Prop;

constexpr const char* kWindow = "DemoWindow";

ControlDef Control(std::string name, ControlKind kind, std::string parent, int x, int y, int w,
                   int h, std::string caption = {}) {
  ControlDef def;
  def.name = std::move(name);
  def.kind = kind;
  def.parent = std::move(parent);
  def.x = x;
  def.y = y;
  def.w = w;
  def.h = h;
  def.caption = std::move(caption);
  return def;
}

FormDef DemoForm() {
  FormDef form;
  form.name = kWindow;
  form.caption = "Kalvor音效助手（演示）";
  form.outerWidth = 414;
  form.outerHeight = 300;
  auto& c = form.controls;

  ControlDef tab = Control("选择夹1", ControlKind::TabControl, "", -8, 4, 424, 191);
  tab.items = {"主持专用", "喊麦专用", "自定义"};
  tab.font.family = "宋体";
  tab.font.pixelHeight = 12;
  tab.font.charset = 134;
  c.push_back(tab);
  const char* captions[] = {"多人笑声", "群众笑声", "欢呼掌声", "激烈掌声", "尖叫声",
                            "放屁声",   "小孩笑声", "婴儿笑声", "婴儿哭声", "邪恶笑声"};
  for (int page = 1; page <= 3; ++page) {
    for (int i = 0; i < 10; ++i) {
      ControlDef button = Control("音效按钮" + std::to_string((page - 1) * 10 + i + 1),
                                  ControlKind::Button, "选择夹1", 16 + 80 * (i % 5),
                                  32 + 40 * (i / 5), 72, 32, page == 3 ? "自定义" : captions[i]);
      button.page = page;
      c.push_back(button);
    }
    ControlDef stop = Control("按钮停止" + std::to_string(page), ControlKind::Button, "选择夹1", 16,
                              152, 72, 32, "停止播放");
    stop.page = page;
    c.push_back(stop);
  }
  c.push_back(Control("分组框2", ControlKind::GroupBox, "", -8, 188, 424, 32));
  c.push_back(Control("标签1", ControlKind::Label, "分组框2", 16, 9, 48, 16, "音量调节"));
  ControlDef slider = Control("滑块条1", ControlKind::Slider, "分组框2", 72, 8, 128, 20);
  slider.maximum = 100;
  slider.position = 50;
  slider.pageStep = 5;
  c.push_back(slider);
  c.push_back(Control("音量大小标示", ControlKind::Label, "分组框2", 202, 9, 24, 16, "50"));
  c.push_back(Control("选择框1", ControlKind::CheckBox, "分组框2", 232, 8, 72, 18, "窗口置顶"));
  ControlDef status = Control("标签2", ControlKind::Label, "分组框2", 304, 9, 112, 16);
  status.textColor = 0xFF0000;  // blue
  c.push_back(status);
  c.push_back(
      Control("透明标签2", ControlKind::TransparentLabel, "", 40, 229, 56, 16, "音频输出："));
  ControlDef devices = Control("组合框输出通道", ControlKind::ComboList, "", 96, 226, 264, 22);
  devices.items = {"默认输出设备", "扬声器 (高清晰度音频)", "耳机"};
  c.push_back(devices);
  return form;
}

void BindDemoHandlers(kalvor::QtPlatform& platform) {
  platform.BindHandler(kWindow, kWindow, kalvor::event::kCreated, [&](const auto&) {
    platform.SetInt(kWindow, "组合框输出通道", Prop::ListIndex, 0);
  });
  for (int n = 1; n <= 30; ++n) {
    const std::string name = "音效按钮" + std::to_string(n);
    platform.BindHandler(kWindow, name, kalvor::event::kClick, [&, name](const auto&) {
      const std::string caption = platform.GetText(kWindow, name, Prop::Caption);
      platform.ShowMessageBox("这里会播放“" + caption + "”。", 0x40);
    });
    platform.BindHandler(kWindow, name, kalvor::event::kMouseMove, [&, name](const auto&) {
      platform.SetText(kWindow, "标签2", Prop::Caption, name);
    });
  }
  platform.BindHandler(kWindow, "滑块条1", kalvor::event::kMoved, [&](const auto&) {
    platform.SetText(kWindow, "音量大小标示", Prop::Caption,
                     std::to_string(platform.GetInt(kWindow, "滑块条1", Prop::Position)));
  });
  platform.BindHandler(kWindow, "选择框1", kalvor::event::kClick, [&](const auto&) {
    platform.SetInt(kWindow, kWindow, Prop::TopMost,
                    platform.GetInt(kWindow, "选择框1", Prop::Checked));
  });
}

}  // namespace

int main(int argc, char** argv) {
  const char* grabPath = nullptr;
  if (argc == 3 && std::strcmp(argv[1], "--grab") == 0) grabPath = argv[2];
  kalvor::CorePlatform::PrepareProcess(argv[0]);
  kalvor::QtPlatform platform(argc, argv);
  platform.RegisterForm(DemoForm());
  BindDemoHandlers(platform);
  if (!platform.LoadWindow(kWindow)) platform.FatalError("载入启动窗口失败");
  if (grabPath != nullptr) {
    QTimer::singleShot(100, [&] {
      QWidget* window = platform.WidgetForHandle(platform.GetWindowHandle(kWindow, kWindow));
      const bool saved = window != nullptr && window->grab().save(QString::fromLocal8Bit(grabPath));
      if (!saved) std::fprintf(stderr, "kalvor_demo: could not save %s\n", grabPath);
      platform.UnloadWindow(kWindow);
    });
  }
  return platform.RunEventLoop();
}
