#include "output/SizeRow_win.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "output/PictureAccessible_win.h"
#include "output/RowPainting_win.h"
#include "output/SizeChoice.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"

namespace {

constexpr wchar_t kClassName[] = L"TessarooSizeRow";

struct SizeRowState {
  PictureStore* store = nullptr;
  std::uint64_t pictureSeen = ~std::uint64_t{0};  // the store's pictureChanges() the items were made for
  std::vector<SizeItem> items;
  std::vector<std::wstring> sizes, depths;  // the items' labels, as drawn
  std::vector<int> widths;                  // of the cells, for the current font; empty until measured
  int lineHeight = 0, gap = 0;
  std::size_t first = 0;  // the first cell shown, when they do not all fit
  bool busy = false;  // "Reading…" hides the picture: the row shows no cells
  HFONT font = nullptr;  // the parent's, as WM_SETFONT gives it
};

SizeRowState* StateOf(HWND row) { return reinterpret_cast<SizeRowState*>(GetWindowLongPtrW(row, GWLP_USERDATA)); }

HFONT FontOf(const SizeRowState& state) {
  return state.font ? state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Each cell as wide as its longer label, plus a margin of a third of a line
// on either side, and never narrower than a line and a half: a cell is also
// what the mouse aims at.
void Measure(HWND row, SizeRowState& state) {
  if (!state.widths.empty() || state.items.empty()) return;
  const ScopedGetDC dc(row);
  const ScopedSelectObject font(dc.get(), FontOf(state));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  state.lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
  state.gap = std::max(2, state.lineHeight / 4);
  const auto textWidth = [&dc](const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  for (std::size_t i = 0; i < state.items.size(); ++i) {
    const int text = std::max({state.lineHeight * 3 / 2, textWidth(state.sizes[i]), textWidth(state.depths[i])});
    state.widths.push_back(text + 2 * (state.lineHeight / 3));
  }
}

// Where the cells lie in the client area (an empty rectangle for a cell
// not shown), and whether cells are hidden to the left or right.
struct RowLayout {
  std::vector<RECT> cells;
  bool moreLeft = false, moreRight = false;
  int arrow = 0;  // the width of an end's arrow
};

RowLayout LayOut(HWND row, SizeRowState& state) {
  Measure(row, state);
  RowLayout layout;
  if (state.widths.empty()) return layout;
  RECT client;
  GetClientRect(row, &client);
  layout.arrow = state.lineHeight;
  const std::size_t chosen = PositionOfImage(state.items, state.store->chosenImage());
  const ShownItems shown = ShownRowItems(state.widths, state.gap, client.right, layout.arrow, chosen, state.first);
  state.first = shown.first;
  layout.cells.resize(state.widths.size(), RECT{});
  int left = shown.first > 0 ? layout.arrow : 0;
  for (std::size_t i = shown.first; i < shown.end; ++i) {
    layout.cells[i] = {left, 0, left + state.widths[i], client.bottom};
    left += state.widths[i] + state.gap;
  }
  layout.moreLeft = shown.first > 0;
  layout.moreRight = shown.end < state.widths.size();
  return layout;
}

// The focus cue: a dotted frame in the colour of the chosen cell's text.
// DrawFocusRect inverts what lies below, which on the highlight colour
// gives a dark blue that hardly shows.
void PaintDottedFrame(HDC dc, const RECT& r, COLORREF colour) {
  for (LONG x = r.left; x < r.right; x += 2) {
    SetPixelV(dc, x, r.top, colour);
    SetPixelV(dc, x, r.bottom - 1, colour);
  }
  for (LONG y = r.top; y < r.bottom; y += 2) {
    SetPixelV(dc, r.left, y, colour);
    SetPixelV(dc, r.right - 1, y, colour);
  }
}

void PaintCell(HDC dc, const RECT& cell, const SizeRowState& state, std::size_t i, bool chosen) {
  const bool marked = chosen && state.items.size() > 1;
  if (marked) FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
  FrameRect(dc, &cell, GetSysColorBrush(marked ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
  SetTextColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
  const bool twoLines = !state.depths[i].empty();
  const int top = (cell.top + cell.bottom - state.lineHeight * (twoLines ? 2 : 1)) / 2;
  RECT line{cell.left, top, cell.right, top + state.lineHeight};
  DrawTextW(dc, state.sizes[i].c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (twoLines) {
    OffsetRect(&line, 0, state.lineHeight);
    DrawTextW(dc, state.depths[i].c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void Draw(HWND row, SizeRowState& state, HDC dc, const RECT& client) {
  const ScopedSelectObject font(dc, FontOf(state));
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  if (state.busy) return;
  const RowLayout layout = LayOut(row, state);
  const std::size_t chosen = PositionOfImage(state.items, state.store->chosenImage());
  for (std::size_t i = 0; i < layout.cells.size(); ++i) {
    if (!IsRectEmpty(&layout.cells[i])) PaintCell(dc, layout.cells[i], state, i, i == chosen);
  }
  if (GetFocus() == row && chosen < layout.cells.size() && !IsRectEmpty(&layout.cells[chosen])) {
    RECT focus = layout.cells[chosen];
    InflateRect(&focus, -2, -2);
    PaintDottedFrame(dc, focus, GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  if (layout.moreLeft) PaintRowArrow(dc, {0, 0, layout.arrow, client.bottom}, true);
  if (layout.moreRight) PaintRowArrow(dc, {client.right - layout.arrow, 0, client.right, client.bottom}, false);
}

void Paint(HWND row, SizeRowState& state) {
  PaintRowBuffered(row, [&](HDC dc, const RECT& client) { Draw(row, state, dc, client); });
}

void Choose(HWND row, SizeRowState& state, std::size_t image) {
  if (image == state.store->chosenImage()) return;
  state.store->chooseImage(image);
  InvalidateRect(row, nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, row, OBJID_CLIENT, CHILDID_SELF);
}

void Step(HWND row, SizeRowState& state, int step) {
  Choose(row, state, StepImage(state.items, state.store->chosenImage(), step));
}

void OnClick(HWND row, SizeRowState& state, POINT at) {
  SetFocus(row);
  const RowLayout layout = LayOut(row, state);
  RECT client;
  GetClientRect(row, &client);
  if (layout.moreLeft && at.x < layout.arrow) return Step(row, state, -1);
  if (layout.moreRight && at.x >= client.right - layout.arrow) return Step(row, state, 1);
  for (std::size_t i = 0; i < layout.cells.size(); ++i) {
    if (PtInRect(&layout.cells[i], at)) return Choose(row, state, state.items[i].image);
  }
}

bool OnKey(HWND row, SizeRowState& state, WPARAM key) {
  const int all = static_cast<int>(state.items.size());
  int step = 0;
  switch (key) {
    case VK_LEFT: step = -1; break;
    case VK_RIGHT: step = 1; break;
    case VK_HOME: step = -all; break;
    case VK_END: step = all; break;
    default: return false;
  }
  Step(row, state, step);
  return true;
}

LRESULT CALLBACK SizeRowProc(HWND row, UINT message, WPARAM wParam, LPARAM lParam) {
  SizeRowState* state = StateOf(row);
  switch (message) {
    case WM_NCCREATE: {
      // The window takes its state over here and ends it at WM_NCDESTROY.
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SizeRowState* fresh = static_cast<std::unique_ptr<SizeRowState>*>(create->lpCreateParams)->release();
      SetWindowLongPtrW(row, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fresh));
      break;
    }
    case WM_PAINT:
      if (state) {
        Paint(row, *state);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (state && OnKey(row, *state, wParam)) return 0;
      break;
    case WM_LBUTTONDOWN:
      if (state) OnClick(row, *state, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(row, nullptr, FALSE);
      break;
    case WM_SETFONT:
      if (state) {
        state->font = reinterpret_cast<HFONT>(wParam);
        state->widths.clear();  // measured again in the new font
      }
      if (LOWORD(lParam)) InvalidateRect(row, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_GETOBJECT:
      if (state) {
        if (const LRESULT answer = AnswerAccessibleObject(
                row, wParam, lParam,
                [row] {
                  const SizeRowState* s = StateOf(row);
                  return s ? WideFromUtf8(ChosenImageText(s->items, s->store->chosenImage())) : std::wstring();
                },
                L"Icon sizes")) {
          return answer;
        }
      }
      break;
    case WM_NCDESTROY:
      if (state) {
        SetWindowLongPtrW(row, GWLP_USERDATA, 0);
        std::unique_ptr<SizeRowState> owned(state);  // the control's to end
      }
      break;
  }
  return DefWindowProcW(row, message, wParam, lParam);
}

void RegisterSizeRowClass(HINSTANCE instance) {
  RegisterControlClass(instance, kClassName, SizeRowProc, MAKEINTRESOURCEW(32512));  // IDC_ARROW
}

}  // namespace

HWND CreateSizeRow(HWND parent, int id, PictureStore& store) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  RegisterSizeRowClass(instance);
  // Taken over by the window at WM_NCCREATE; ended here when no window
  // ever took it.
  auto state = std::make_unique<SizeRowState>();
  state->store = &store;
  HWND row = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, &state);
  if (row) UpdateSizeRow(row, false);
  return row;
}

void UpdateSizeRow(HWND row, bool busy) {
  SizeRowState* state = row ? StateOf(row) : nullptr;
  if (!state) return;
  state->busy = busy;
  if (state->pictureSeen != state->store->pictureChanges()) {
    state->pictureSeen = state->store->pictureChanges();
    state->items = SizeItems(state->store->picture());
    state->sizes.clear();
    state->depths.clear();
    for (const SizeItem& item : state->items) {
      state->sizes.push_back(WideFromUtf8(item.size));
      state->depths.push_back(WideFromUtf8(item.depth));
    }
    state->widths.clear();
    state->first = 0;
  }
  // A disabled window cannot keep the focus: it moves on first, as Tab
  // would move it.
  const bool choosable = state->items.size() > 1 && !busy;
  if (!choosable && GetFocus() == row) SetFocus(GetNextDlgTabItem(GetParent(row), row, FALSE));
  EnableWindow(row, choosable);
  InvalidateRect(row, nullptr, FALSE);
}
