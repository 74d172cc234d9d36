#include "output/ResultStrip_win.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "image/Picture_win.h"
#include "image/Resize.h"
#include "output/PictureAccessible_win.h"
#include "output/PictureBox_win.h"
#include "output/RowPainting_win.h"
#include "output/SizeChoice.h"
#include "support/ScopedWin_win.h"

namespace {

constexpr wchar_t kClassName[] = L"TessarooResultStrip";

struct Cell {
  ScopedGdiObject<HBITMAP> thumbnail;  // made at the cell's size when first painted
  int side = 0;
};

struct StripState {
  std::vector<StripItem> items;
  std::vector<Cell> cells;
  std::size_t chosen = 0, first = 0;
  HWND tips = nullptr;
};

StripState* StateOf(HWND strip) { return reinterpret_cast<StripState*>(GetWindowLongPtrW(strip, GWLP_USERDATA)); }

// Square cells as high as the strip, a gap of an eighth between them.
struct StripLayout {
  int side = 0, gap = 0, arrow = 0;
  ShownItems shown;
};

StripLayout LayOut(HWND strip, StripState& state) {
  RECT client;
  GetClientRect(strip, &client);
  StripLayout layout;
  layout.side = std::max(1, static_cast<int>(client.bottom));
  layout.gap = std::max(2, layout.side / 8);
  layout.arrow = std::max(8, layout.side / 3);
  const std::vector<int> widths(state.items.size(), layout.side);
  layout.shown = ShownRowItems(widths, layout.gap, client.right, layout.arrow, state.chosen, state.first);
  state.first = layout.shown.first;
  return layout;
}

RECT CellRect(const StripLayout& layout, std::size_t i) {
  if (i < layout.shown.first || i >= layout.shown.end) return {};
  const int left = (layout.shown.first > 0 ? layout.arrow : 0) +
                   static_cast<int>(i - layout.shown.first) * (layout.side + layout.gap);
  return {left, 0, left + layout.side, layout.side};
}

// The icon fitted into the cell less a margin, over the window colour.
void MakeThumbnail(const StripItem& item, Cell& cell, int side) {
  if (cell.side == side || item.icon.empty()) return;
  cell.side = side;
  const RgbaImage image = DecodePicture(item.icon);
  const int inner = std::max(1, side - 6);
  const FittedRect fitted = ShownPlace(image.width, image.height, inner, inner);
  if (fitted.width == 0) return;
  cell.thumbnail.reset(CreateOpaqueBitmap(ResizeImage(image, fitted.width, fitted.height), GetSysColor(COLOR_WINDOW)));
}

void PaintCell(HDC dc, const RECT& r, StripState& state, std::size_t i, int side) {
  const bool chosen = i == state.chosen;
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  Cell& cell = state.cells[i];
  MakeThumbnail(state.items[i], cell, side);
  BITMAP info{};
  if (cell.thumbnail && GetObjectW(cell.thumbnail.get(), sizeof info, &info)) {
    const ScopedCompatibleDC source(dc);
    const ScopedSelectObject picture(source.get(), cell.thumbnail.get());
    BitBlt(dc, r.left + (side - info.bmWidth) / 2, r.top + (side - info.bmHeight) / 2, info.bmWidth, info.bmHeight,
           source.get(), 0, 0, SRCCOPY);
  } else {
    // No icon: a cross in the text colour; the tooltip says why.
    const int m = side / 3;
    const ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(1, side / 16), GetSysColor(COLOR_GRAYTEXT)));
    const ScopedSelectObject using_(dc, pen.get());
    MoveToEx(dc, r.left + m, r.top + m, nullptr);
    LineTo(dc, r.right - m, r.bottom - m);
    MoveToEx(dc, r.right - m, r.top + m, nullptr);
    LineTo(dc, r.left + m, r.bottom - m);
  }
  RECT frame = r;
  const HBRUSH edge = GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW);
  FrameRect(dc, &frame, edge);
  if (chosen) {
    InflateRect(&frame, -1, -1);
    FrameRect(dc, &frame, edge);
  }
}

// The strip's tooltip tool for item i.
TOOLINFOW ToolOf(HWND strip, std::size_t i) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = strip;
  tool.uId = i;
  return tool;
}

// Each shown cell is a tool of the strip's tooltip; hidden ones have no
// area.
void PlaceTips(HWND strip, const StripState& state, const StripLayout& layout) {
  if (!state.tips) return;
  for (std::size_t i = 0; i < state.items.size(); ++i) {
    TOOLINFOW tool = ToolOf(strip, i);
    tool.rect = CellRect(layout, i);
    SendMessageW(state.tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Paint(HWND strip, StripState& state) {
  StripLayout layout;
  PaintRowBuffered(strip, [&](HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    layout = LayOut(strip, state);
    for (std::size_t i = layout.shown.first; i < layout.shown.end; ++i) {
      PaintCell(dc, CellRect(layout, i), state, i, layout.side);
    }
    if (layout.shown.first > 0) PaintRowArrow(dc, {0, 0, layout.arrow, client.bottom}, true);
    if (layout.shown.end < state.items.size()) {
      PaintRowArrow(dc, {client.right - layout.arrow, 0, client.right, client.bottom}, false);
    }
  });
  PlaceTips(strip, state, layout);
}

void Choose(HWND strip, StripState& state, std::size_t i) {
  if (state.items.empty()) return;
  i = std::min(i, state.items.size() - 1);
  if (i == state.chosen) return;
  state.chosen = i;
  InvalidateRect(strip, nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, strip, OBJID_CLIENT, CHILDID_SELF);
  SendMessageW(GetParent(strip), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(strip), kStripChoiceChanged),
               reinterpret_cast<LPARAM>(strip));
}

void OnClick(HWND strip, StripState& state, POINT at) {
  SetFocus(strip);
  const StripLayout layout = LayOut(strip, state);
  RECT client;
  GetClientRect(strip, &client);
  if (layout.shown.first > 0 && at.x < layout.arrow) return Choose(strip, state, state.chosen ? state.chosen - 1 : 0);
  if (layout.shown.end < state.items.size() && at.x >= client.right - layout.arrow) return Choose(strip, state, state.chosen + 1);
  for (std::size_t i = layout.shown.first; i < layout.shown.end; ++i) {
    const RECT cell = CellRect(layout, i);
    if (PtInRect(&cell, at)) return Choose(strip, state, i);
  }
}

bool OnKey(HWND strip, StripState& state, WPARAM key) {
  switch (key) {
    case VK_LEFT: Choose(strip, state, state.chosen ? state.chosen - 1 : 0); return true;
    case VK_RIGHT: Choose(strip, state, state.chosen + 1); return true;
    case VK_HOME: Choose(strip, state, 0); return true;
    case VK_END: Choose(strip, state, state.items.size()); return true;
    default: return false;
  }
}

LRESULT CALLBACK StripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
  StripState* state = StateOf(strip);
  switch (message) {
    case WM_PAINT:
      if (state) {
        Paint(strip, *state);
        return 0;
      }
      break;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (state && OnKey(strip, *state, wParam)) return 0;
      break;
    case WM_LBUTTONDOWN:
      if (state) OnClick(strip, *state, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(strip, nullptr, FALSE); break;
    case WM_GETOBJECT:
      if (state) {
        if (const LRESULT answer = AnswerAccessibleObject(
                strip, wParam, lParam,
                [strip] {
                  const StripState* s = StateOf(strip);
                  return s && s->chosen < s->items.size() ? s->items[s->chosen].tip : std::wstring();
                },
                L"Files")) {
          return answer;
        }
      }
      break;
    case WM_NCDESTROY:
      if (state) {
        SetWindowLongPtrW(strip, GWLP_USERDATA, 0);
        if (state->tips) DestroyWindow(state->tips);
        delete state;
      }
      break;
  }
  return DefWindowProcW(strip, message, wParam, lParam);
}

}  // namespace

HWND CreateResultStrip(HWND parent, int id) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  RegisterControlClass(instance, kClassName, StripProc, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  HWND strip = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_TABSTOP, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!strip) return nullptr;
  auto* state = new StripState;
  // Owned by no window, as the picture box's: under Wine an owned popup
  // undoes always-on-top. No fading: the tip follows the mouse from cell
  // to cell.
  state->tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOFADE,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                nullptr);
  SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  return strip;
}

void SetStripItems(HWND strip, std::vector<StripItem> items, std::size_t chosen) {
  StripState* state = strip ? StateOf(strip) : nullptr;
  if (!state) return;
  if (state->tips) {
    for (std::size_t i = 0; i < state->items.size(); ++i) {
      TOOLINFOW tool = ToolOf(strip, i);
      SendMessageW(state->tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  state->items = std::move(items);
  state->cells = std::vector<Cell>(state->items.size());
  state->chosen = state->items.empty() ? 0 : std::min(chosen, state->items.size() - 1);
  state->first = 0;
  if (state->tips) {
    for (std::size_t i = 0; i < state->items.size(); ++i) {
      TOOLINFOW tool = ToolOf(strip, i);
      tool.uFlags = TTF_SUBCLASS;
      tool.lpszText = state->items[i].tip.data();
      SendMessageW(state->tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  InvalidateRect(strip, nullptr, FALSE);
}

std::size_t StripChoice(HWND strip) {
  const StripState* state = strip ? StateOf(strip) : nullptr;
  return state ? state->chosen : 0;
}
