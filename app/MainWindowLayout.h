#pragma once
// What the main window looks like: its caption, size, controls and the
// captions of the always-on-top button. Plain data, shared by the window code
// and its tests. Sizes are drawn for 96 dpi and scaled to the window's DPI.
#include <string_view>

inline constexpr std::wstring_view kMainWindowCaption = L"Tessaroo  -by Quenbridge Lirren";
inline constexpr int kLayoutDpi = 96;
// The client area at 96 dpi: the 418 x 248 window the program has always
// had (inside Wine's frame at 96 dpi: 3 pixels a side and a 19-pixel
// caption), grown downwards to hold the size row under the picture box.
inline constexpr int kMainWindowClientWidth = 412;
inline constexpr int kMainWindowClientHeight = 264;
// With the strip of a several-file import under the size row: the window
// grows by this band while the strip is shown.
inline constexpr int kMainWindowClientHeightWithStrip = 312;

inline constexpr std::wstring_view kImportCaption = L"导入文件";
inline constexpr std::wstring_view kCopyCaption = L"复制图片";
inline constexpr std::wstring_view kSaveCaption = L"保存图片";
inline constexpr std::wstring_view kOnTopCaption = L"窗口置顶";
inline constexpr std::wstring_view kSaveAllCaption = L"全部保存";
inline constexpr std::wstring_view kCancelOnTopCaption = L"取消置顶";
// The on-top button's tooltip follows its caption: what a click does.
inline constexpr std::wstring_view kKeepOnTopTip = L"Keep the window on top";
inline constexpr std::wstring_view kStopOnTopTip = L"Stop keeping the window on top";

enum class ControlKind { PushButton, PictureBox, SizeRow, ResultStrip };

struct ControlLayout {
  int id;
  ControlKind kind;
  std::wstring_view caption;
  int left, top, width, height;  // client coordinates of the main window at 96 dpi
  std::wstring_view tip;         // a button's tooltip: its name in English and its shortcut
};

inline constexpr int kOnTopButtonId = 1004;
inline constexpr int kSaveButtonId = 1003;
inline constexpr int kCopyButtonId = 1002;
inline constexpr int kImportButtonId = 1001;
inline constexpr int kPictureBoxId = 1010;
inline constexpr int kSizeRowId = 1011;
inline constexpr int kResultStripId = 1012;
inline constexpr int kSaveAllButtonId = 1005;
// A command with no button: Ctrl+V.
inline constexpr int kPasteCommandId = 1020;

// In creation order, which is the order Tab follows: the buttons top down,
// then the size row. The row spans the window under the box and the
// buttons, two lines of the dialog font high with room above and below
// (its cells hold a size and a depth), so a group of ten images fits
// without scrolling.
inline constexpr ControlLayout kMainWindowControls[] = {
    {kImportButtonId, ControlKind::PushButton, kImportCaption, 248, 16, 120, 32, L"Import file (Ctrl+O)"},
    {kCopyButtonId, ControlKind::PushButton, kCopyCaption, 248, 66, 120, 32, L"Copy picture (Ctrl+C)"},
    {kOnTopButtonId, ControlKind::PushButton, kOnTopCaption, 248, 116, 120, 32, kKeepOnTopTip},
    {kSaveButtonId, ControlKind::PushButton, kSaveCaption, 248, 168, 120, 32, L"Save picture (Ctrl+S)"},
    {kPictureBoxId, ControlKind::PictureBox, L"", 16, 16, 184, 184, L""},
    {kSizeRowId, ControlKind::SizeRow, L"", 16, 208, 380, 40, L""},
    {kResultStripId, ControlKind::ResultStrip, L"", 16, 258, 284, 44, L""},
    {kSaveAllButtonId, ControlKind::PushButton, kSaveAllCaption, 308, 264, 88, 32, L"Save every icon into a folder"},
};

// Whether the control lies in the band of the strip, shown only with it.
constexpr bool ShownOnlyWithStrip(const ControlLayout& control) { return control.top >= kMainWindowClientHeight - 8; }

struct ScreenPoint {
  int x, y;
};

struct LayoutSize {
  int width, height;
};

struct LayoutRect {
  int left, top, width, height;
};

// value * dpi / 96 rounded to the nearest, halves away from zero: what
// MulDiv gives, so the window code and the layout agree to the pixel.
int ScaleToDpi(int value, int dpi);

LayoutSize MainWindowClientSize(int dpi, bool withStrip = false);
LayoutRect ControlRectAt(const ControlLayout& control, int dpi);

// Top-left corner that centres a window of the given outer size on a screen.
ScreenPoint CenteredOrigin(int screenWidth, int screenHeight, int width, int height);

// What a click on the always-on-top button does, derived from its caption
// alone: the caption is the only record of the state.
struct TopmostChange {
  bool makeTopmost;
  std::wstring_view newCaption;
};
TopmostChange NextTopmostChange(std::wstring_view currentCaption);
