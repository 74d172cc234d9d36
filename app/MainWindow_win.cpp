#include "app/MainWindow_win.h"

#include <commctrl.h>

#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "app/DropTarget_win.h"
#include "app/Intake_win.h"
#include "app/MainWindowLayout.h"
#include "app/RunDirectory_win.h"
#include "app/SaveAll_win.h"
#include "output/PictureBox_win.h"
#include "output/SaveCopy_win.h"
#include "output/ResultStrip_win.h"
#include "output/SizeRow_win.h"
#include "support/Dpi_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/IconReason.h"
#include "tools/HelperTools_win.h"

namespace {

constexpr wchar_t kClassName[] = L"TessarooMainWindow";
// Posted while the window is being created, so it arrives after the first
// paint: readying the run directory is no part of showing the window.
constexpr UINT kPrepareRunDirectoryMessage = WM_APP + 1;
// From the import's thread: one file's outcome (lParam, an ImportOutcome the
// receiver deletes) of the import wParam, and the end of an import.
constexpr UINT kImportOutcomeMessage = WM_APP + 2;
constexpr UINT kImportEndedMessage = WM_APP + 3;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// WS_EX_CONTROLPARENT lets Tab move between the buttons.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// One tooltip window for all the buttons. Owned by no window, as the
// picture box's: under Wine 8 an owned popup undoes always-on-top. Each
// tool is the button's rectangle in the main window, not the button: a
// disabled button gets no mouse messages (its parent does), and its
// tooltip still shows. LayOutControls keeps the rectangles in place.
HWND CreateButtonTips(HWND window, HINSTANCE instance) {
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                              nullptr);
  if (!tips) return nullptr;
  for (const ControlLayout& c : kMainWindowControls) {
    if (c.tip.empty()) continue;
    std::wstring text(c.tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = static_cast<UINT_PTR>(c.id);
    tool.lpszText = text.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tips;
}

// A button's tooltip says this now.
void SetButtonTip(HWND tips, HWND window, int id, std::wstring text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = static_cast<UINT_PTR>(id);
  tool.lpszText = text.data();
  SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The controls, without place or size: LayOutControls gives them both.
void CreateControls(HWND window, AppContext& app) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  for (const ControlLayout& c : kMainWindowControls) {
    if (c.kind == ControlKind::PictureBox) {
      CreatePictureBox(window, c.id, 0, 0, 0, 0, app.picture, [&app] {
        // Made at the first drag: it starts COM, which showing the window
        // does not need.
        if (!app.dragSource) app.dragSource.reset(IconDragSource::Create());
        if (!app.dragFolder) app.dragFolder = std::make_unique<WorkFolder>(app.runDirectory);
        if (app.dragSource) StartIconDrag(app.dragFolder->path(), app.picture, *app.dragSource.get());
      });
    } else if (c.kind == ControlKind::SizeRow) {
      CreateSizeRow(window, c.id, app.picture);
    } else if (c.kind == ControlKind::ResultStrip) {
      CreateResultStrip(window, c.id);
    } else {
      const std::wstring caption(c.caption);
      const DWORD shown = ShownOnlyWithStrip(c) ? 0 : WS_VISIBLE;
      CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | shown | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    }
  }
  app.buttonTips = CreateButtonTips(window, instance);
}

// Places the controls and sets their font for dpi. The font is made once per
// DPI; the old one is deleted only after no control uses it any more.
void LayOutControls(HWND window, AppContext& app, UINT dpi) {
  ScopedGdiObject<HFONT> previous;
  if (!app.font || app.fontDpi != dpi) {
    if (HFONT font = CreateGuiFont(dpi)) {
      previous.reset(app.font.release());
      app.font.reset(font);
      app.fontDpi = dpi;
    }
  }
  const HFONT font = app.font ? app.font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const ControlLayout& c : kMainWindowControls) {
    HWND control = GetDlgItem(window, c.id);
    const LayoutRect r = ControlRectAt(c, static_cast<int>(dpi));
    SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (app.buttonTips && !c.tip.empty()) {
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = window;
      tool.uId = static_cast<UINT_PTR>(c.id);
      tool.rect = {r.left, r.top, r.left + r.width, r.top + r.height};
      SendMessageW(app.buttonTips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
}

// Sizes the window for dpi around its client area and centres it on the
// primary screen.
void PlaceMainWindow(HWND window, UINT dpi) {
  const LayoutSize client = MainWindowClientSize(static_cast<int>(dpi));
  const SIZE outer = OuterSizeForClient(client.width, client.height, kStyle, kExStyle, dpi);
  const ScreenPoint origin =
      CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), outer.cx, outer.cy);
  SetWindowPos(window, nullptr, origin.x, origin.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window moved to a screen of another DPI (or that screen's scale
// changed): the system suggests the new outer rectangle, and the controls
// follow at the new DPI.
void OnDpiChanged(HWND window, AppContext& app, UINT dpi, const RECT& suggested) {
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOutControls(window, app, dpi);
}

// Runs once, as soon as the window and its controls exist.
// Save and Copy have nothing to work on until there is a picture, nor while
// "Reading…" hides it: what they would write is not what the box shows.
void EnableOutputButtons(HWND window, const AppContext& app) {
  const bool shown = app.picture.hasPicture() && !PictureBoxShowsBusy(GetDlgItem(window, kPictureBoxId));
  for (int id : {kSaveButtonId, kCopyButtonId}) EnableWindow(GetDlgItem(window, id), shown);
}

// Takes the files in on the import thread, in place of any import under
// way; the window only shows what each gives as it arrives.
// Shows or hides the strip of a several-file import and its Save all
// button, the window growing or shrinking by their band; its top-left
// corner stays.
void ShowResultStrip(HWND window, bool shown) {
  HWND strip = GetDlgItem(window, kResultStripId);
  if ((IsWindowVisible(strip) != FALSE) == shown) return;
  const UINT dpi = WindowDpi(window);
  const LayoutSize client = MainWindowClientSize(static_cast<int>(dpi), shown);
  const SIZE outer = OuterSizeForClient(client.width, client.height, kStyle, kExStyle, dpi);
  SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& c : kMainWindowControls) {
    if (ShownOnlyWithStrip(c)) ShowWindow(GetDlgItem(window, c.id), shown ? SW_SHOWNA : SW_HIDE);
  }
}

// Each file of a several-file import as the strip shows it.
StripItem StripItemOf(const ImportOutcome& outcome) {
  std::wstring tip = WideFromAnsi(FileNameOf(outcome.path, SystemLeadByte));
  if (outcome.icon.empty()) {
    const ReasonWords words = WordsOf(outcome.reason == IconReason::None ? IconReason::NoIcon : outcome.reason);
    tip += L"\n" + WideFromUtf8(std::string(words.chinese)) + L" (" +
           WideFromUtf8(WithSubject(words.english, outcome.subject)) + L")";
  }
  return {outcome.icon, tip};
}

// One file's outcome of the latest import: shown, and in a several-file
// import kept in the strip, the newest chosen.
void OnImportOutcome(HWND window, AppContext& app, ImportOutcome outcome) {
  ShowOutcome(app.picture, outcome);
  if (app.importCount < 2) return;
  app.results.push_back(std::move(outcome));
  std::vector<StripItem> items;
  for (const ImportOutcome& result : app.results) items.push_back(StripItemOf(result));
  HWND strip = GetDlgItem(window, kResultStripId);
  SetStripItems(strip, std::move(items), app.results.size() - 1);
  ShowResultStrip(window, true);
}

void StartImport(HWND window, AppContext& app, std::vector<std::string> paths) {
  if (paths.empty()) return;
  app.results.clear();
  app.importCount = paths.size();
  SetStripItems(GetDlgItem(window, kResultStripId), {}, 0);
  ShowResultStrip(window, false);
  const WPARAM import = static_cast<WPARAM>(++app.importsStarted);
  app.picture.beginRun();
  app.importer.start(
      app.pipeline(), std::move(paths),
      [window, import](ImportOutcome outcome) {
        auto* sent = new ImportOutcome(std::move(outcome));
        if (!PostMessageW(window, kImportOutcomeMessage, import, reinterpret_cast<LPARAM>(sent))) delete sent;
      },
      [window] { PostMessageW(window, kImportEndedMessage, 0, 0); });
}

void OnMainWindowCreated(HWND window, AppContext& app) {
  EnableOutputButtons(window, app);
  PostMessageW(window, kPrepareRunDirectoryMessage, 0, 0);
  ToggleAlwaysOnTop(window);
  app.dropTarget.enable(
      window,
      [window, &app](const std::vector<std::string>& paths) {
        // The icon dragged out and let go over this window: nothing to take in.
        if (!DraggingIconOut()) StartImport(window, app, paths);
      },
      [window](bool over) { SetPictureBoxDropHover(GetDlgItem(window, kPictureBoxId), over); });
}

// Ctrl+V: files copied in Explorer (CF_HDROP on the clipboard) are taken in
// as a drop of them would be.
void OnPaste(HWND window, AppContext& app) {
  std::vector<std::string> paths;
  {
    const ScopedClipboard clipboard(nullptr);
    HDROP files = clipboard.opened() ? static_cast<HDROP>(GetClipboardData(CF_HDROP)) : nullptr;
    const UINT count = files ? DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0) : 0;
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(files, i, nullptr, 0);
      std::wstring name(length + 1, L'\0');
      if (length && DragQueryFileW(files, i, name.data(), length + 1)) paths.push_back(CodePageFromWide(name.substr(0, length), CP_ACP));
    }
  }
  StartImport(window, app, std::move(paths));
}

// A run that takes a while: the app-starting cursor over the window and
// the taskbar button's endless progress, until it ends.
void ShowBusy(HWND window, AppContext& app) {
  const bool busy = PictureBoxShowsBusy(GetDlgItem(window, kPictureBoxId));
  EnableOutputButtons(window, app);
  POINT cursor;
  RECT area;
  GetWindowRect(window, &area);
  if (GetCursorPos(&cursor) && PtInRect(&area, cursor)) {
    SetCursor(LoadCursorW(nullptr, busy ? MAKEINTRESOURCEW(32650) : MAKEINTRESOURCEW(32512)));  // IDC_APPSTARTING, IDC_ARROW
  }
  if (app.taskbar) app.taskbar->SetProgressState(window, busy ? TBPF_INDETERMINATE : TBPF_NOPROGRESS);
}

// The taskbar button exists (again): its progress can be set from now on.
// Failures are ignored; the window says it is busy all the same.
void OnTaskbarButtonCreated(AppContext& app) {
  if (app.taskbar) return;
  ITaskbarList3* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(&list)))) {
    return;
  }
  if (SUCCEEDED(list->HrInit())) {
    app.taskbar.reset(list);
  } else {
    list->Release();
  }
}

void OnCommand(HWND window, AppContext& app, int id, int code) {
  if (id == kResultStripId && code == kStripChoiceChanged) {
    const std::size_t chosen = StripChoice(GetDlgItem(window, kResultStripId));
    if (chosen < app.results.size()) ShowOutcome(app.picture, app.results[chosen]);
    return;
  }
  // The size row follows every change of the box: a new picture, another
  // image chosen, "Reading…" shown or gone.
  if (id == kPictureBoxId) {
    UpdateSizeRow(GetDlgItem(window, kSizeRowId), PictureBoxShowsBusy(GetDlgItem(window, kPictureBoxId)));
  }
  if (id == kPictureBoxId && code == kPictureChanged) return EnableOutputButtons(window, app);
  if (id == kPictureBoxId && code == kBusyChanged) return ShowBusy(window, app);
  // Buttons say BN_CLICKED; keyboard shortcuts arrive as commands with code 1,
  // and do nothing while their button is off.
  if (code != BN_CLICKED && code != 1) return;
  if ((id == kCopyButtonId || id == kSaveButtonId) && !IsWindowEnabled(GetDlgItem(window, id))) return;
  switch (id) {
    case kPasteCommandId: OnPaste(window, app); break;
    case kOnTopButtonId: ToggleAlwaysOnTop(window); break;
    case kImportButtonId:
      if (std::string chosen = ChooseFileToImport(window, app.dialog); !chosen.empty()) StartImport(window, app, {chosen});
      break;
    case kCopyButtonId: CopyIconToClipboard(window, app.picture); break;
    case kSaveButtonId: SaveIconAs(window, app.picture, app.dialog); break;
    case kSaveAllButtonId: SaveAllIcons(window, app.results); break;
    case IDCANCEL:  // Escape: ends the run under way, else closes the window
      if (!app.importer.cancel()) PostMessageW(window, WM_CLOSE, 0, 0);
      break;
  }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<AppContext*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  static const UINT taskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
  if (message == taskbarButtonCreated && taskbarButtonCreated != 0) {
    if (app) OnTaskbarButtonCreated(*app);
    return 0;
  }
  switch (message) {
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && PictureBoxShowsBusy(GetDlgItem(window, kPictureBoxId))) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32650)));  // IDC_APPSTARTING
        return TRUE;
      }
      break;
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_CREATE:
      CreateControls(window, *app);
      LayOutControls(window, *app, WindowDpi(window));
      OnMainWindowCreated(window, *app);
      return 0;
    case WM_DPICHANGED:
      if (app) OnDpiChanged(window, *app, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      if (app) OnCommand(window, *app, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case kPrepareRunDirectoryMessage:
      if (app) {
        app->prepareRunDirectory();
        // Files named on the command line ("Open with", a drop onto the
        // program's icon) come in as a drop of them would.
        std::vector<std::string> files;
        files.swap(app->filesAtStart);
        StartImport(window, *app, std::move(files));
      }
      return 0;
    case kImportOutcomeMessage: {
      std::unique_ptr<ImportOutcome> outcome(reinterpret_cast<ImportOutcome*>(lParam));
      // What an import that was replaced gave is not shown.
      if (app && outcome && wParam == static_cast<WPARAM>(app->importsStarted)) {
        OnImportOutcome(window, *app, std::move(*outcome));
      }
      return 0;
    }
    case kImportEndedMessage:
      if (app) app->picture.endRun();
      return 0;
    case WM_DESTROY:
      // The window is going: the import under way is of no use any more.
      if (app) app->importer.cancel();
      if (app && app->buttonTips) DestroyWindow(std::exchange(app->buttonTips, nullptr));
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = MainWindowProc;
  cls.hInstance = instance;
  // The program's own icon, big for the task bar and Alt+Tab, small for the
  // caption, each at the size the system asks for.
  cls.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
  cls.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kClassName;
  return RegisterClassExW(&cls) != 0;
}

}  // namespace

void AppContext::prepareRunDirectory() {
  if (runDirectoryReady) return;
  runDirectoryReady = true;
  PrepareRunDirectory(runDirectory);
}

void ToggleAlwaysOnTop(HWND mainWindow) {
  HWND button = GetDlgItem(mainWindow, kOnTopButtonId);
  const TopmostChange change = NextTopmostChange(WindowText(button));
  SetWindowPos(mainWindow, change.makeTopmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowTextW(button, std::wstring(change.newCaption).c_str());
  // The tooltip says what the button does now.
  if (const auto* app = reinterpret_cast<AppContext*>(GetWindowLongPtrW(mainWindow, GWLP_USERDATA)); app && app->buttonTips) {
    SetButtonTip(app->buttonTips, mainWindow, kOnTopButtonId,
                 change.makeTopmost ? std::wstring(kStopOnTopTip) : std::wstring(kKeepOnTopTip));
  }
}

HACCEL CreateKeyboardShortcuts() {
  ACCEL shortcuts[] = {
      {FCONTROL | FVIRTKEY, 'O', kImportButtonId},
      {FCONTROL | FVIRTKEY, 'C', kCopyButtonId},
      {FCONTROL | FVIRTKEY, 'S', kSaveButtonId},
      {FCONTROL | FVIRTKEY, 'V', kPasteCommandId},
  };
  return CreateAcceleratorTableW(shortcuts, static_cast<int>(std::size(shortcuts)));
}

HWND CreateMainWindow(HINSTANCE instance, AppContext& app) {
  if (!RegisterMainWindowClass(instance)) return nullptr;
  const std::wstring caption(kMainWindowCaption);
  // Made hidden on the primary screen, then sized for that screen's DPI,
  // which only the window can tell.
  HWND window = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, 0, 0, kMainWindowClientWidth,
                                kMainWindowClientHeight, nullptr, nullptr, instance, &app);
  if (!window) return nullptr;
  PlaceMainWindow(window, WindowDpi(window));
  ShowWindow(window, SW_SHOW);
  // The first thing to do is import: Enter or Space starts it.
  SetFocus(GetDlgItem(window, kImportButtonId));
  UpdateWindow(window);
  return window;
}
