// The one header through which the board's logic reaches the platform: windows and controls built
// from form tables, control properties and events, message boxes and the file dialog, files and
// folders, INI files, the shell, global hotkeys, external libraries, texts and numbers.
//
// Texts are UTF-8 in memory; lengths and positions count bytes. Folders returned by the platform
// end in the system's separator ("/" on Linux, "\" on Windows); paths handed to it may use "/" on
// both. Failures travel in results (false, -1, 0 or the empty text); the few that cannot are fatal
// runtime errors that end the process.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// ---------------------------------------------------------------------------------------------
// Forms: a window and its controls as plain data.

enum class ControlKind {
  Window,
  Button,
  Label,
  TransparentLabel,
  CheckBox,
  ComboList,  // drop-down list that cannot be edited
  ComboEdit,  // editable drop-down: pick an item or type any text
  Slider,
  EditBox,
  PictureBox,
  TabControl,
  GroupBox,
  WebViewer,
  ArchiveUnit,  // no visible form
  FileDialog,   // no visible form
};

struct FontDef {
  std::string family;  // empty: the default font
  int pixelHeight = 0;
  int weight = 400;
  int charset = 0;  // 134 = GB2312
};

struct ControlDef {
  std::string name;  // unit name, e.g. "音效按钮18"
  ControlKind kind = ControlKind::Button;
  std::string parent;  // empty: the window's client area; else a group box or tab control
  int page = 0;        // child of a tab control: its page, counted from 1
  int x = 0, y = 0, w = 0, h = 0;
  std::string caption;             // caption, text, or a web viewer's start address
  std::vector<std::string> items;  // combo box list items, or a tab control's page captions
  FontDef font;
  int minimum = 0, maximum = 0, position = 0, lineStep = 1, pageStep = 1;  // slider
  std::string image;            // picture box or window icon: a resource path (":/...")
  std::int32_t textColor = -1;  // 0x00BBGGRR, -1 for the default colour
  bool multiLine = false;       // label text that wraps / keeps its line breaks
};

struct FormDef {
  std::string name;  // window unit name, e.g. "MainWindow"
  std::string caption;
  int x = -1, y = -1;  // -1: the system places the window
  int outerWidth = 0, outerHeight = 0;
  bool visible = true;
  std::string icon;  // resource path, empty for none
  std::vector<ControlDef> controls;
};

// ---------------------------------------------------------------------------------------------
// Events. A handler is bound to (window, control, event); a window is a control of itself and is
// addressed with its own name as the control.

namespace event {
inline constexpr int kCreated = 0;       // window: created by LoadWindow, runs inside it
inline constexpr int kCloseRequest = 1;  // window: close box pressed
inline constexpr int kDestroyed = 2;     // window: being destroyed
inline constexpr int kClick = 0;         // button, check box: clicked by the user
inline constexpr int kSelected = 0;      // combo box: the user picked a list item
inline constexpr int kMoved = 0;         // slider: the user moved the thumb
inline constexpr int kFeedback = 0;      // label: raised by the hotkey service with (id, 0)
inline constexpr int kLeftDown = -1;     // any control: left mouse button pressed over it
inline constexpr int kRightDown = -4;    // any control: right mouse button pressed over it
inline constexpr int kMouseMove = -6;    // any control: the mouse moved over it
}  // namespace event

struct EventArgs {
  std::string window;
  std::string control;
  int event = 0;
  std::int32_t first = 0;
  std::int32_t second = 0;
};

using Handler = std::function<void(const EventArgs&)>;

// ---------------------------------------------------------------------------------------------
// Control properties.

enum class Prop {
  Left,
  Top,
  Width,
  Height,
  Tag,
  Visible,
  Disable,  // write: any nonzero disables
  MousePointer,
  Caption,    // button, label
  Text,       // combo box selection field, edit box
  Checked,    // check box; write: only 1 ticks
  ListIndex,  // combo box; write clamps to -1 .. count-1, raises no event
  Position,   // slider; write clamps to 0..32767, then to the range, raises no event
  TopMost,    // window; write: only 1 puts it on top
  FileName,   // file dialog
};

// Message box styles and answers.
inline constexpr std::int32_t kMbOk = 0;
inline constexpr std::int32_t kMbIconExclamation = 0x30;
inline constexpr std::int32_t kMbSystemModal = 0x1000;
inline constexpr std::int32_t kMbTaskModal = 0x2000;
inline constexpr std::int32_t kIdOk = 0;

// ---------------------------------------------------------------------------------------------

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Forms and windows ------------------------------------------------------------------------
  virtual void RegisterForm(const FormDef& form) = 0;
  virtual void BindHandler(std::string_view window, std::string_view control, int event,
                           Handler handler) = 0;
  // Loads a registered window; a loaded one is restored/activated without a second created
  // event. Modal: returns once the window has been destroyed, other windows take no input.
  virtual bool LoadWindow(std::string_view window, bool modal = false) = 0;
  // Destroys the window once the running handler has returned; its destroyed event then runs.
  virtual void UnloadWindow(std::string_view window) = 0;
  virtual bool IsWindowLoaded(std::string_view window) const = 0;

  virtual std::int32_t GetInt(std::string_view window, std::string_view control, Prop prop) = 0;
  virtual void SetInt(std::string_view window, std::string_view control, Prop prop,
                      std::int32_t value) = 0;
  virtual std::string GetText(std::string_view window, std::string_view control, Prop prop) = 0;
  virtual void SetText(std::string_view window, std::string_view control, Prop prop,
                       std::string_view value) = 0;
  // Native handle of a window or control, 0 when it has none.
  virtual std::int32_t GetWindowHandle(std::string_view window, std::string_view control) = 0;
  // Appends an item; its index, or -1.
  virtual std::int32_t AddComboItem(std::string_view window, std::string_view control,
                                    std::string_view text, std::int32_t data = 0) = 0;
  // True when the user confirmed a file (FileName then holds its full path), false on cancel.
  virtual bool RunFileDialog(std::string_view window, std::string_view control) = 0;
  // Returns the button pressed: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6.
  // An empty title shows "信息：".
  virtual std::int32_t ShowMessageBox(std::string_view text, std::int32_t style,
                                      std::string_view title = {},
                                      std::string_view parentWindow = {}) = 0;
  // Runs the event loop until no window of the program is loaded; then runs the exit clean-up
  // and releases bound external libraries. Returns the process exit code.
  virtual int RunEventLoop() = 0;
  // Raises the feedback event of a label, synchronously.
  virtual void RaiseFeedback(std::int32_t receiverHandle, std::int32_t first,
                             std::int32_t second) = 0;

  // Files and folders ------------------------------------------------------------------------
  // 1 documents, 2 favourites, 3 desktop, 4 fonts, 5 start menu, 6 programs, 7 autostart,
  // 8 the program's per-user data folder (AppDataDir), 9 system folder, 10 the per-user library
  // folder searched for external libraries, 11 temporary files, 12 the data the program is
  // shipped with (its help pages). Ends in "/"; others: "".
  virtual std::string GetSpecialFolder(std::int32_t code) = 0;
  virtual bool FileExists(std::string_view path) = 0;  // folders count; wildcards * and ? match
  virtual bool RemoveFile(std::string_view path) = 0;
  // Pattern (resolved against the current folder) starts a search, "" continues it. Returns the
  // next matching file name (no folder part, never a folder), or "" at the end.
  virtual std::string FindFiles(std::string_view pattern) = 0;
  virtual bool WriteBytesToFile(std::string_view path,
                                std::initializer_list<std::span<const std::uint8_t>> blocks) = 0;
  virtual std::string ReadIniValue(std::string_view file, std::string_view section,
                                   std::string_view key, std::string_view defaultValue = {}) = 0;
  virtual bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
  // 1 every entry written; 0 archive unreadable or an entry could not be written; -1 missing
  // ZIP file or an empty argument.
  virtual std::int32_t ExtractArchive(std::string_view window, std::string_view control,
                                      std::string_view zipPath, std::string_view targetFolder) = 0;

  // Shell ------------------------------------------------------------------------------------
  virtual void OpenUrl(std::string_view address) = 0;
  // Verbs: 1 edit, 2 explore, 3 find, 4 open, 5 print, other: default. Show modes 1..6.
  virtual std::int32_t ExecuteWithVerb(std::int32_t verb, std::string_view target,
                                       std::string_view parameters = {},
                                       std::string_view folder = {}, std::int32_t show = 2) = 0;

  // Global hotkeys ---------------------------------------------------------------------------
  // Returns the new hotkey id (>= 33001) or 0 when the key was refused.
  virtual std::int32_t RegisterGlobalHotkey(std::int32_t hostHandle, std::int32_t receiverHandle,
                                            std::int32_t modifiers, std::int32_t keyCode) = 0;
  virtual bool UnregisterGlobalHotkey(std::int32_t hostHandle, std::int32_t id) = 0;

  // External functions -----------------------------------------------------------------------
  // Binds (library, function) on first use and keeps the binding; a missing library or function
  // is the fatal error naming both.
  virtual void* BindExternal(std::string_view library, std::string_view function) = 0;

  // Process ----------------------------------------------------------------------------------
  virtual void SetExitCleanup(std::function<void()> cleanup) = 0;
  // Shows "运行时出错!" with the message, runs the exit clean-up, exits with code -1.
  [[noreturn]] virtual void FatalError(std::string_view message) = 0;
};

// The platform of this process.
PlatformServices& Platform();
void SetPlatform(PlatformServices* platform);

// The file name of a shared library of ours on this system, from its stem: "libbass.so" on Linux,
// "bass.dll" on Windows. A stem holding "*" gives the pattern its plug-ins match.
std::string SharedLibraryFile(std::string_view stem);

// Binds an external function and calls it: CallExternal<int(int)>("libbass.so", "BASS_X", 1).
template <typename Signature, typename... Args>
auto CallExternal(std::string_view library, std::string_view function, Args&&... args) {
  auto* fn = reinterpret_cast<Signature*>(Platform().BindExternal(library, function));
  return fn(std::forward<Args>(args)...);
}

// ---------------------------------------------------------------------------------------------
// Texts and numbers.

std::string JoinTexts(std::initializer_list<std::string_view> parts);
// Negative, 0 or positive, comparing bytes as unsigned values; letter case counts.
int CompareTexts(std::string_view a, std::string_view b);
std::int32_t TextLength(std::string_view text);
// The first n bytes; the whole text when n >= its length; "" when n <= 0.
std::string LeftText(std::string_view text, std::int32_t n);
// The number the text begins with (full-width forms folded to ASCII first); 0 when none.
double TextToNumber(std::string_view text);
std::string NumberToText(std::int32_t value);
std::string NumberToText(double value);  // as "%.13g"
// Rounded toward zero; the low 32 bits of the 64-bit whole number.
std::int32_t TruncateToInt(double value);
// a - b * trunc(a / b); b == 0 is the fatal error "不能求余数于零".
double Remainder(double a, double b);
// Rounded down, a value within 1e-12 of a whole number taken as that number first.
std::int32_t FloorToInt(double x);
std::int32_t MakeColor(std::int32_t red, std::int32_t green, std::int32_t blue);
std::int32_t ShiftLeft(std::int32_t value, std::int32_t count);

}  // namespace kalvor

// ---------------------------------------------------------------------------------------------
// Drawing: device contexts, an off-screen bitmap, solid pens and brushes, rectangles, two-vertex
// gradients and one copy of a finished frame to a control's window. Handles are opaque nonzero
// values; 0 is failure.

namespace kalvor {

struct GradientVertex {
  std::int32_t x = 0, y = 0;
  std::uint16_t red = 0, green = 0, blue = 0, alpha = 0;  // 0..0xFF00
};

class DrawingLayer {
 public:
  static constexpr std::int32_t kSolidPen = 0;
  static constexpr std::uint32_t kSourceCopy = 0xCC0020;
  static constexpr std::uint32_t kGradientHorizontal = 0;
  static constexpr std::uint32_t kGradientVertical = 1;

  virtual ~DrawingLayer() = default;
  // The screen context of the window of a control (by its window handle).
  virtual std::intptr_t GetDC(std::int32_t windowHandle) = 0;
  virtual bool ReleaseDC(std::int32_t windowHandle, std::intptr_t dc) = 0;
  virtual std::intptr_t CreateCompatibleDC(std::intptr_t dc) = 0;
  virtual std::intptr_t CreateCompatibleBitmap(std::intptr_t dc, std::int32_t width,
                                               std::int32_t height) = 0;
  // Returns the object selected before, 0 on failure.
  virtual std::intptr_t SelectObject(std::intptr_t dc, std::intptr_t object) = 0;
  virtual std::intptr_t CreatePen(std::int32_t style, std::int32_t width, std::int32_t color) = 0;
  virtual std::intptr_t CreateSolidBrush(std::int32_t color) = 0;
  // Outlined with the selected pen, filled with the selected brush; right and bottom excluded.
  virtual bool Rectangle(std::intptr_t dc, std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) = 0;
  virtual bool BitBlt(std::intptr_t dest, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height, std::intptr_t source, std::int32_t sourceX,
                      std::int32_t sourceY, std::uint32_t operation) = 0;
  virtual bool DeleteDC(std::intptr_t dc) = 0;
  virtual bool DeleteObject(std::intptr_t object) = 0;
  // One rectangle from vertex upperLeft to vertex lowerRight; mode horizontal or vertical.
  virtual bool GradientFill(std::intptr_t dc, const GradientVertex* vertices, std::uint32_t count,
                            std::uint32_t upperLeft, std::uint32_t lowerRight,
                            std::uint32_t mode) = 0;
};

// The drawing layer of the toolkit platform; nullptr where none is installed.
DrawingLayer* Drawing();
void SetDrawingLayer(DrawingLayer* layer);

}  // namespace kalvor
