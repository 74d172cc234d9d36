#include "output/PictureBox_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "image/ImageFormat.h"
#include "image/Picture_win.h"
#include "image/Resize.h"
#include "output/Compose.h"
#include "output/PictureAccessible_win.h"
#include "output/SizeChoice.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"

#include <memory>

namespace {

constexpr wchar_t kClassName[] = L"TessarooPictureBox";

struct PictureBoxState {
  PictureStore* store = nullptr;
  std::function<void()> onPress;
  RgbaImage image;                  // the picture as decoded
  ScopedGdiObject<HBITMAP> bitmap;  // the picture over the checkerboard, at the size shown
  int width = 0, height = 0;        // of bitmap
  HWND tooltip = nullptr;  // destroyed with the control
  HWND balloon = nullptr;  // the word on a file not taken in; destroyed with the control
  std::uint64_t noticesShown = 0;
  bool busyShown = false;  // a run has gone on for kBusyDelayMs: "Reading…" in place of the picture
  bool dropHover = false;  // files are dragged over the window
  HFONT font = nullptr;    // the parent's, as WM_SETFONT gives it
};

PictureBoxState* StateOf(HWND window) {
  return reinterpret_cast<PictureBoxState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

constexpr UINT_PTR kBalloonTimer = 1, kBusyTimer = 2;
constexpr wchar_t kBusyChinese[] = L"正在读取…按 Esc 取消", kBusyEnglish[] = L"Reading… Esc to cancel";
constexpr wchar_t kHintChinese[] = L"拖放文件到这里", kHintEnglish[] = L"Drop a file here";
constexpr UINT kBalloonMilliseconds = 4000;

// A reason in one line: the Chinese words, the English (with what the
// reason names) in brackets.
std::wstring ReasonLine(IconReason reason, const ReasonSubject& subject) {
  const ReasonWords words = WordsOf(reason);
  return WideFromUtf8(words.chinese) + L" (" + WideFromUtf8(WithSubject(words.english, subject)) + L")";
}

// What the box shows, in one line: the picture's size and format, the
// reason there is none, or that it is reading; empty for an empty box.
std::wstring ShownText(HWND window, const PictureStore& store) {
  const PictureBoxState* state = StateOf(window);
  if (state && state->busyShown) return std::wstring(kBusyChinese) + L" (" + kBusyEnglish + L")";
  if (store.hasPicture() || store.reason() == IconReason::None) {
    std::wstring text = WideFromUtf8(DescribeChosenImage(store.picture(), store.chosenImage()));
    // A picture the program made from another format says which.
    const std::string_view extension = FileNameExtension(store.source(), SystemLeadByte);
    for (const auto& [from, name] : {std::pair{".webp", L"WebP"}, {".svg", L"SVG"}, {".svgz", L"SVG"}, {".xpm", L"XPM"},
                                     {".icns", L"icns"}, {".apk", L"APK"}}) {
      if (!text.empty() && EqualsIgnoringAsciiCase(extension, from)) text += std::wstring(L", from ") + name;
    }
    return text;
  }
  return ReasonLine(store.reason(), store.reasonSubject());
}

// The tooltip's one tool is the whole control, present while there is a
// picture to describe or a reason to give.
void UpdateTooltip(HWND window, HWND tooltip, const PictureStore& store) {
  if (!tooltip) return;
  std::wstring text = ShownText(window, store);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(window);
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = text.data();
  if (text.empty()) {
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// A screen-compatible bitmap of the BGRX pixels; nullptr on failure.
HBITMAP CreateScreenBitmap(const std::vector<std::uint8_t>& bgrx, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const ScopedGetDC screen(nullptr);
  ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap || SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS) == 0) {
    return nullptr;
  }
  return bitmap.release();
}

// The picture at the size it is shown in a box of the client's size
// (ShownPlace: small icons pixel-sharp, others 1:1 or fitted), over a light
// checkerboard whose squares follow the box's size (so they look alike at
// every DPI). ResizeImage repeats pixels when it enlarges, so a whole-number
// scale gives even squares.
void PrepareShown(PictureBoxState& state, const RECT& client) {
  const FittedRect fitted = ShownPlace(state.image.width, state.image.height, client.right, client.bottom);
  if (fitted.width == 0 || (state.bitmap && state.width == fitted.width && state.height == fitted.height)) return;
  const RgbaImage shown = ResizeImage(state.image, fitted.width, fitted.height);
  const int cell = std::max(4, static_cast<int>(client.right) / 24);
  state.bitmap.reset(CreateScreenBitmap(ComposeOverCheckerboard(shown, cell, {255, 255, 255}, {224, 224, 224}),
                                        shown.width, shown.height));
  state.width = shown.width;
  state.height = shown.height;
}

// A balloon over the box for a file that was not taken in, for a few
// seconds; the picture stays as it was.
void ShowNotice(HWND window, PictureBoxState& state) {
  if (!state.balloon || state.store->notices() == state.noticesShown) return;
  state.noticesShown = state.store->notices();
  std::wstring text = ReasonLine(state.store->notice(), state.store->noticeSubject());
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = window;
  tool.uId = 1;
  tool.lpszText = text.data();
  if (SendMessageW(state.balloon, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    SendMessageW(state.balloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(state.balloon, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  RECT box;
  GetWindowRect(window, &box);
  SendMessageW(state.balloon, TTM_TRACKPOSITION, 0, MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2));
  SendMessageW(state.balloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  SetTimer(window, kBalloonTimer, kBalloonMilliseconds, nullptr);
}

void HideNotice(HWND window, PictureBoxState& state) {
  KillTimer(window, kBalloonTimer);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = 1;
  if (state.balloon) SendMessageW(state.balloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// The reason there is no picture, centred: the Chinese words, the English
// below them. In the colour of body text: the grey of disabled text is too
// faint to read (about 2.2:1 on the box's face).
void PaintWords(HDC dc, const RECT& client, const PictureBoxState& state, const std::wstring& text) {
  const ScopedSelectObject font(dc, state.font ? state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT measured = client;
  const int height = DrawTextW(dc, text.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  RECT at = client;
  at.top = (client.bottom - height) / 2;
  DrawTextW(dc, text.c_str(), -1, &at, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

// Follows the store's runs: a run that goes on for kBusyDelayMs makes the
// box say it is reading until the run ends; the parent hears of both.
void FollowRuns(HWND window, PictureBoxState& state) {
  const bool running = state.store->running();
  if (running && !state.busyShown) {
    SetTimer(window, kBusyTimer, kBusyDelayMs, nullptr);  // restarted by each change of a run
    return;
  }
  if (running) return;
  KillTimer(window, kBusyTimer);
  if (!state.busyShown) return;
  state.busyShown = false;
  UpdateTooltip(window, state.tooltip, *state.store);
  InvalidateRect(window, nullptr, FALSE);
  SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kBusyChanged),
               reinterpret_cast<LPARAM>(window));
}

void ShowBusy(HWND window, PictureBoxState& state) {
  KillTimer(window, kBusyTimer);
  if (!state.store->running() || state.busyShown) return;
  state.busyShown = true;
  UpdateTooltip(window, state.tooltip, *state.store);
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kBusyChanged),
               reinterpret_cast<LPARAM>(window));
}

void Rebuild(HWND window, PictureBoxState& state) {
  state.bitmap.reset();
  state.image = DecodeChosenImage(state.store->picture(), state.store->chosenImage());
  UpdateTooltip(window, state.tooltip, *state.store);
  ShowNotice(window, state);
  InvalidateRect(window, nullptr, FALSE);
  // The window enables what needs a picture (Save, Copy) from this.
  SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kPictureChanged),
               reinterpret_cast<LPARAM>(window));
}

void Paint(HWND window, PictureBoxState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));  // the system's brush: never deleted
  PrepareShown(state, client);
  if (state.busyShown) {
    PaintWords(dc, client, state, std::wstring(kBusyChinese) + L"\n" + kBusyEnglish);
  } else if (state.bitmap) {
    const ScopedCompatibleDC memory(dc);
    const ScopedSelectObject selected(memory.get(), state.bitmap.get());
    const FittedRect at = ShownPlace(state.image.width, state.image.height, client.right, client.bottom);
    BitBlt(dc, at.x, at.y, state.width, state.height, memory.get(), 0, 0, SRCCOPY);
  } else if (state.store->reason() != IconReason::None) {
    const ReasonWords words = WordsOf(state.store->reason());
    const std::string english = WithSubject(words.english, state.store->reasonSubject());
    PaintWords(dc, client, state, WideFromUtf8(words.chinese) + L"\n" + WideFromUtf8(english));
  } else {
    PaintWords(dc, client, state, std::wstring(kHintChinese) + L"\n" + kHintEnglish);  // an empty box
  }
  if (state.dropHover) {
    // A frame a few pixels wide at any DPI, inside the box's edge.
    const int width = std::max(3, static_cast<int>(client.right) / 60);
    RECT frame = client;
    for (int i = 0; i < width; ++i, InflateRect(&frame, -1, -1)) FrameRect(dc, &frame, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK PictureBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PictureBoxState* state = StateOf(window);
  switch (message) {
    case WM_NCCREATE: {
      // The window takes its state over here and ends it at WM_NCDESTROY.
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      PictureBoxState* fresh = static_cast<std::unique_ptr<PictureBoxState>*>(create->lpCreateParams)->release();
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fresh));
      fresh->store->setListener([window] {
        if (PictureBoxState* s = StateOf(window)) {
          Rebuild(window, *s);
          FollowRuns(window, *s);
        }
      });
      break;
    }
    case WM_PAINT:
      if (state) { Paint(window, *state); return 0; }
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_LBUTTONDOWN: {
      // A drag starts only once the mouse moves beyond the system's drag
      // threshold with the button held; a click does nothing.
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(window, &at);
      // Nothing is dragged out of a picture "Reading…" hides.
      if (state && state->onPress && !state->busyShown && DragDetect(window, at)) state->onPress();
      return 0;
    }
    case WM_SYSCOLORCHANGE:
      if (state) Rebuild(window, *state);
      break;
    case WM_SETFONT:
      if (state) state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_GETOBJECT:
      if (state) {
        if (const LRESULT answer = AnswerAccessibleObject(window, wParam, lParam, [window] {
              const PictureBoxState* s = StateOf(window);
              return s ? ShownText(window, *s->store) : std::wstring();
            })) {
          return answer;
        }
      }
      break;
    case WM_GETFONT:
      return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_TIMER:
      if (state && wParam == kBalloonTimer) HideNotice(window, *state);
      if (state && wParam == kBusyTimer) ShowBusy(window, *state);
      return 0;
    case WM_DESTROY:
      if (state && state->tooltip) DestroyWindow(std::exchange(state->tooltip, nullptr));
      if (state && state->balloon) DestroyWindow(std::exchange(state->balloon, nullptr));
      break;
    case WM_NCDESTROY:
      if (state) {
        state->store->setListener(nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        std::unique_ptr<PictureBoxState> owned(state);  // the control's to end
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The picture is stretched over the whole client area, so a new size
// (another DPI) repaints all of it, not only the uncovered strip.
void RegisterPictureBoxClass(HINSTANCE instance) {
  RegisterControlClass(instance, kClassName, PictureBoxProc, MAKEINTRESOURCEW(32649));  // IDC_HAND
}

}  // namespace

HBITMAP CreateOpaqueBitmap(const RgbaImage& image, COLORREF background) {
  if (image.empty()) return nullptr;
  return CreateScreenBitmap(
      ComposeOverBackground(image, {GetRValue(background), GetGValue(background), GetBValue(background)}), image.width,
      image.height);
}

HWND CreatePictureBox(HWND parent, int id, int left, int top, int width, int height, PictureStore& store,
                      std::function<void()> onPress) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  RegisterPictureBoxClass(instance);
  // Taken over by the window at WM_NCCREATE; ended here when no window
  // ever took it.
  auto state = std::make_unique<PictureBoxState>();
  state->store = &store;
  state->onPress = std::move(onPress);
  HWND box = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, left, top, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, &state);
  PictureBoxState* made = box ? StateOf(box) : nullptr;
  if (!made) return box;
  // Owned by no window: Wine (8) puts a window made topmost below the
  // popups it owns, which leaves it not topmost, so an owned tooltip would
  // undo the always-on-top button.
  made->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, nullptr);
  made->balloon = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  UpdateTooltip(box, made->tooltip, store);
  return box;
}

void SetPictureBoxDropHover(HWND box, bool over) {
  PictureBoxState* state = StateOf(box);
  if (!state || state->dropHover == over) return;
  state->dropHover = over;
  InvalidateRect(box, nullptr, FALSE);
}

bool PictureBoxShowsBusy(HWND box) {
  const PictureBoxState* state = box ? StateOf(box) : nullptr;
  return state && state->busyShown;
}
