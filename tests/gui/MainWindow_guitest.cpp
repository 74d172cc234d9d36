// Drives the real window program from outside: started from another folder,
// under Wine and Xvfb, checked through window handles like any other program.
// The program sits in a folder with a Chinese name; this test program carries
// the same UTF-8 manifest, so its narrow text is UTF-8 too.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <iterator>
#include <cstring>
#include <string>

#include "app/DropTarget_win.h"
#include "app/MainWindowLayout.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/TestSupport.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "tools/HelperTools_win.h"

namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

HWND WaitForMainWindow(HANDLE process) { return WaitForWindowOf(process, L"TessarooMainWindow"); }

// Asks again every 50 ms until the predicate holds or the time is up; true
// when it held. The program works in its own process at its own pace, so
// looking again is all the test can do.
template <typename Predicate>
bool WaitUntil(Predicate holds, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!holds()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

// The colour on screen at the middle of the picture box.
COLORREF PictureBoxCentre(HWND window) {
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  HDC screen = GetDC(nullptr);
  const COLORREF centre = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return centre;
}


// Sends a message whose lParam points to a T. The pointer is good only in
// the program's process, so the T lives there; gives what it holds after.
template <typename T>
T SendWithRemote(HANDLE process, HWND window, UINT message, WPARAM wParam, T value) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE);
  SIZE_T moved = 0;
  if (remote && WriteProcessMemory(process, remote, &value, sizeof value, &moved)) {
    SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &value, sizeof value, &moved);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return value;
}

// The height a button asks for to show its caption: the line height of its
// font plus Wine's fixed margins. A font handle cannot be read from another
// process, so this is how the test sees the font's size.
LONG IdealHeightOf(HANDLE process, HWND button) {
  return SendWithRemote(process, button, BCM_GETIDEALSIZE, 0, SIZE{}).cy;
}

// Every control where the layout at 96 or 144 dpi puts it, and its font.
void ExpectLayoutAt(int dpi, HANDLE process, HWND window) {
  const struct { int id; LayoutRect at96, at144; } expected[] = {
      {kOnTopButtonId, {248, 116, 120, 32}, {372, 174, 180, 48}},
      {kSaveButtonId, {248, 168, 120, 32}, {372, 252, 180, 48}},
      {kCopyButtonId, {248, 66, 120, 32}, {372, 99, 180, 48}},
      {kImportButtonId, {248, 16, 120, 32}, {372, 24, 180, 48}},
      {kPictureBoxId, {16, 16, 184, 184}, {24, 24, 276, 276}},
      {kSizeRowId, {16, 208, 380, 40}, {24, 312, 570, 60}},
  };
  for (const auto& e : expected) {
    const LayoutRect want = dpi == 144 ? e.at144 : e.at96;
    RECT r{};
    GetWindowRect(GetDlgItem(window, e.id), &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, want.left) << e.id << " at " << dpi;
    EXPECT_EQ(r.top, want.top) << e.id << " at " << dpi;
    EXPECT_EQ(r.right - r.left, want.width) << e.id << " at " << dpi;
    EXPECT_EQ(r.bottom - r.top, want.height) << e.id << " at " << dpi;
  }
  EXPECT_EQ(IdealHeightOf(process, GetDlgItem(window, kImportButtonId)), dpi == 144 ? 23 : 15) << dpi;
  RECT client;
  GetClientRect(GetDlgItem(window, kPictureBoxId), &client);
  EXPECT_EQ(client.right, dpi == 144 ? 274 : 182) << "a one-pixel border on each side, at any DPI";
  EXPECT_EQ(client.bottom, dpi == 144 ? 274 : 182);
}

// The picture box's tooltip: the one tooltip window of the program.
LRESULT ToolCount(HWND tooltip) { return SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0); }

// The text of the tooltip's tool number `index`, which TTM_ENUMTOOLS copies
// out. Its pointers are good only inside the program's process, so the tool
// and the text live there.
std::wstring ToolText(HANDLE process, HWND tooltip, int index = 0) {
  struct Exchange {
    TOOLINFOW tool;
    wchar_t text[1024];  // the most a tooltip holds (INFOTIPSIZE)
  } local{};
  auto* remote = static_cast<Exchange*>(VirtualAllocEx(process, nullptr, sizeof local, MEM_COMMIT, PAGE_READWRITE));
  local.tool.cbSize = sizeof local.tool;
  local.tool.lpszText = remote ? remote->text : nullptr;
  SIZE_T moved = 0;
  const bool read = remote && WriteProcessMemory(process, remote, &local, sizeof local, &moved) &&
                    SendMessageW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(&remote->tool)) &&
                    ReadProcessMemory(process, remote, &local, sizeof local, &moved);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return read ? std::wstring(local.text, wcsnlen(local.text, std::size(local.text))) : std::wstring();
}

// The program's tooltip windows: the picture box's, the buttons' (a tool
// for each of the five buttons) and the box's notice balloon. The strip's
// (its cells') is told apart by its TTS_NOFADE.
enum class Tips { Picture, Buttons, Balloon };
HWND TooltipOf(HANDLE process, Tips which = Tips::Picture) {
  struct Search { DWORD process; Tips which; HWND found; } search{GetProcessId(process), which, nullptr};
  EnumWindows([](HWND candidate, LPARAM param) -> BOOL {
    auto* s = reinterpret_cast<Search*>(param);
    wchar_t cls[32] = {};
    GetClassNameW(candidate, cls, 32);
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0 || owner != s->process) return TRUE;
    const LONG style = GetWindowLongW(candidate, GWL_STYLE);
    if (style & TTS_NOFADE) return TRUE;
    const Tips kind = (style & TTS_BALLOON)          ? Tips::Balloon
                      : ToolCount(candidate) == 5 ? Tips::Buttons
                                                  : Tips::Picture;
    if (kind != s->which) return TRUE;
    s->found = candidate;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The current directory of another process, read from its process parameters.
std::wstring CurrentDirectoryOf(HANDLE process) {
  struct BasicInformation {
    LONG_PTR exitStatus;
    void* peb;
    ULONG_PTR affinity, priority, pid, parentPid;
  } info{};
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  if (!query || query(process, 0, &info, sizeof info, nullptr) != 0) return {};
  void* parameters = nullptr;
  SIZE_T got = 0;
  // 64-bit layout: PEB.ProcessParameters at 0x20; CurrentDirectory.DosPath at 0x38.
  if (!ReadProcessMemory(process, static_cast<char*>(info.peb) + 0x20, &parameters, sizeof parameters, &got)) return {};
  struct { USHORT length, maximum; ULONG pad; wchar_t* buffer; } dosPath{};
  if (!ReadProcessMemory(process, static_cast<char*>(parameters) + 0x38, &dosPath, sizeof dosPath, &got)) return {};
  std::wstring path(dosPath.length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, dosPath.buffer, path.data(), dosPath.length, &got)) return {};
  return path;
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    program_ = runFolder_.file("Tessaroo.exe");
    ASSERT_TRUE(CopyTestFile(TestProgramFolder() + "\\Tessaroo.exe", program_));
  }
  void TearDown() override { stop(); }

  // Starts the program from otherFolder_, with arguments after its name.
  HWND start(const std::string& arguments = {}) {
    process_ = StartProgram("\"" + program_ + "\"" + (arguments.empty() ? "" : " " + arguments), otherFolder_.path());
    return process_ ? WaitForMainWindow(process_) : nullptr;
  }
  void stop() { process_.end(); }
  bool closesWithin(DWORD milliseconds) { return WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0; }

  TempFolder runFolder_{"-run_中文"}, otherFolder_;
  std::string program_;
  TestProcess process_;
};

TEST_F(MainWindowTest, OpensCentredFixedAndOnTopWithItsControls) {
  HWND window = start();
  ASSERT_TRUE(window);
  EXPECT_EQ(TextOf(window), kMainWindowCaption);

  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 418);
  EXPECT_EQ(outer.bottom - outer.top, 289);
  // Centred on the test screen (Xvfb, 1280 x 1024): (1280 - 418) / 2, (1024 - 289) / 2.
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(outer.left, 431);
  EXPECT_EQ(outer.top, 367);

  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  for (const ControlLayout& c : kMainWindowControls) {
    HWND control = GetDlgItem(window, c.id);
    ASSERT_TRUE(control) << c.id;
    EXPECT_EQ(IsWindowVisible(control) != FALSE, !ShownOnlyWithStrip(c)) << c.id << ": the strip's band waits for several files";
    const std::wstring expected = c.id == kOnTopButtonId ? std::wstring(kCancelOnTopCaption)
                                                         : std::wstring(c.caption);
    EXPECT_EQ(TextOf(control), expected) << c.id;
  }
  ExpectLayoutAt(96, process_, window);
  HWND tooltip = TooltipOf(process_);
  ASSERT_TRUE(tooltip);
  EXPECT_EQ(ToolCount(tooltip), 0) << "no picture, no tooltip";
  // Each button says in English what it does, in the buttons' order.
  HWND buttonTips = TooltipOf(process_, Tips::Buttons);
  ASSERT_TRUE(buttonTips);
  // The window starts on top: the on-top button's tooltip says a click ends it.
  const wchar_t* const tips[] = {L"Import file (Ctrl+O)", L"Copy picture (Ctrl+C)", L"Stop keeping the window on top",
                                 L"Save picture (Ctrl+S)", L"Save every icon into a folder"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ToolText(process_, buttonTips, i), tips[i]) << i;

  // The current directory is the run directory, although the program was
  // started from another folder.
  std::wstring current = CurrentDirectoryOf(process_);
  if (!current.empty() && current.back() == L'\\') current.pop_back();
  EXPECT_EQ(CompareStringOrdinal(current.c_str(), -1, WideFromAnsi(runFolder_.path()).c_str(), -1, TRUE),
            CSTR_EQUAL) << Utf8FromWide(current);

  Sleep(500);  // let the window paint before the picture is taken
  const std::string shot = TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow.png";
  EXPECT_TRUE(SaveScreenRectAsPng(outer, WideFromAnsi(shot)));

  // Files dragged over the window frame the box in the highlight colour,
  // until they leave.
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  const auto edge = [&box] {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, box.left + 2, (box.top + box.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return c;
  };
  SendMessageW(window, kDropHoverMessage, TRUE, 0);
  WaitUntil([&] { return edge() == GetSysColor(COLOR_HIGHLIGHT); }, 2000);
  EXPECT_EQ(edge(), GetSysColor(COLOR_HIGHLIGHT));
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-drophover.png"));
  SendMessageW(window, kDropHoverMessage, FALSE, 0);
  WaitUntil([&] { return edge() != GetSysColor(COLOR_HIGHLIGHT); }, 2000);
  EXPECT_NE(edge(), GetSysColor(COLOR_HIGHLIGHT));
}

// Wine lays out every program per monitor whatever its manifest says, so
// the program's manifest is asked directly, through the activation context
// the system would make from it.
TEST(ProgramManifest, AsksForPerMonitorDpiAwareness) {
  const std::wstring program = WideFromAnsi(TestProgramFolder() + "\\Tessaroo.exe");
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = program.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE);
  const auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T length = 0;
    QueryActCtxSettingsW(0, context, space, name, value, std::size(value), &length);
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"), L"PerMonitorV2");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
  ReleaseActCtx(context);
}

TEST_F(MainWindowTest, OnTopButtonFlipsTheStateBothWays) {
  HWND window = start();
  ASSERT_TRUE(window);
  HWND button = GetDlgItem(window, kOnTopButtonId);
  HWND tips = TooltipOf(process_, Tips::Buttons);
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kOnTopCaption);
  EXPECT_EQ(ToolText(process_, tips, 2), kKeepOnTopTip) << "the tooltip follows the state";
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kCancelOnTopCaption);
  EXPECT_EQ(ToolText(process_, tips, 2), kStopOnTopTip);

  // A caption that is neither text: the next click clears always-on-top.
  SetWindowTextW(button, L"other");
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kOnTopCaption);
}

// Wine has one DPI for every screen, so the message a move to a 150 % screen
// brings is sent by hand, with the rectangle the system would suggest.
TEST_F(MainWindowTest, DpiChangeMovesToTheSuggestedRectangleAndScalesTheControls) {
  HWND window = start();
  ASSERT_TRUE(window);
  const auto changeDpi = [&](UINT dpi, RECT suggested) {
    SendWithRemote(process_, window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    EXPECT_EQ(outer.right, suggested.right);
    EXPECT_EQ(outer.bottom, suggested.bottom);
  };
  changeDpi(144, {100, 80, 724, 510});
  ExpectLayoutAt(144, process_, window);

  changeDpi(96, {120, 90, 538, 379});
  ExpectLayoutAt(96, process_, window);
}

TEST_F(MainWindowTest, EscapeClosesTheWindowAndEndsTheProgram) {
  HWND window = start();
  ASSERT_TRUE(window);
  PostMessageW(GetDlgItem(window, kImportButtonId), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(closesWithin(10000));
}

// True once the file holds the bytes and has only the hidden attribute, as a
// written tool ends up; the program writes the tools just after its first
// paint.
bool WaitForTool(const std::string& path, ByteSpan bytes) {
  return WaitUntil([&] { return FileHoldsBytes(path, bytes) && ComparableAttributes(path) == FILE_ATTRIBUTE_HIDDEN; },
                   10000);
}

TEST_F(MainWindowTest, WritesTheToolsAndRepairsOnlyADamagedOne) {
  ASSERT_TRUE(start());
  HMODULE carrier = LoadLibraryExA(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(carrier);
  const std::string source = TestEnvironment("TESSAROO_TOOLS_DIR");
  const HelperTool& last = kHelperTools[std::size(kHelperTools) - 1];
  ASSERT_TRUE(WaitForTool(runFolder_.file(last.fileName), CarriedToolBytes(carrier, last.resourceId)));
  for (const HelperTool& tool : kHelperTools) {
    const std::string path = runFolder_.file(tool.fileName);
    EXPECT_TRUE(FileHoldsBytes(path, ReadWholeFile(source + "\\" + tool.fileName))) << tool.fileName;
    EXPECT_EQ(ComparableAttributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)) << tool.fileName;
  }
  PostMessageW(FindWindowW(L"TessarooMainWindow", nullptr), WM_CLOSE, 0, 0);
  ASSERT_TRUE(closesWithin(10000));
  stop();

  const std::string damaged = runFolder_.file("dwebp.exe");
  SetFileAttributesA(damaged.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(WriteTestFile(damaged, Bytes{'M', 'Z', 0}));
  const FILETIME before = LastWriteTime(runFolder_.file("pt.exe"));
  Sleep(50);

  ASSERT_TRUE(start());
  EXPECT_TRUE(WaitForTool(damaged, CarriedToolBytes(carrier, IDR_TOOL_DWEBP)));
  const FILETIME after = LastWriteTime(runFolder_.file("pt.exe"));
  EXPECT_EQ(CompareFileTime(&before, &after), 0) << "an identical tool is left untouched";
  FreeLibrary(carrier);
}

// The modal file dialog the program opened, found from outside.
HWND WaitForDialog(HANDLE process) { return WaitForWindowOf(process, L"#32770", 10000); }

// The file-name edit box of a common file dialog: its only visible Edit
// control (the folder and type boxes are drop-down lists).
HWND FileNameBox(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(dialog, [](HWND child, LPARAM param) -> BOOL {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Edit") != 0 || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The clipboard's text, or "-" when it holds none.
std::string ClipboardText() {
  const ScopedClipboard clipboard(nullptr);
  HANDLE data = clipboard.opened() ? GetClipboardData(CF_TEXT) : nullptr;
  const ScopedGlobalLock lock(data);
  return lock.data() ? std::string(static_cast<const char*>(lock.data())) : "-";
}

TEST_F(MainWindowTest, ImportShowsTheIconAndTheSaveDialogProposesThePath) {
  HWND window = start();
  ASSERT_TRUE(window);
  // Nothing to save or copy yet: both buttons off, and a copy command (as
  // Ctrl+C sends it) leaves the user's clipboard alone.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kSaveButtonId)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kCopyButtonId)));
  {
    const ScopedClipboard clipboard(nullptr);
    ASSERT_TRUE(clipboard.opened());
    EmptyClipboard();
    SetClipboardData(CF_TEXT, CopyToGlobalMemory("kept", 5));
  }
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCopyButtonId, 0), 0);
  EXPECT_EQ(ClipboardText(), "kept");
  const std::string exe = runFolder_.file("sample tool.exe");
  ASSERT_TRUE(CopyTestFile(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order.exe", exe));

  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the open dialog";
  HWND name = FileNameBox(dialog);
  ASSERT_TRUE(name);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(exe).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  ASSERT_FALSE(IsWindow(dialog)) << "the dialog closed on a file that exists";
  Sleep(800);

  // The 48 x 48 green image fills the picture box.
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  HDC screen = GetDC(nullptr);
  const COLORREF centre = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(centre, RGB(30, 180, 60));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kSaveButtonId)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kCopyButtonId)));
  RECT outer;
  GetWindowRect(window, &outer);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-icon.png"));

  // The save dialog proposes the name a save of the imported file writes.
  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the save dialog";
  wchar_t proposed[MAX_PATH] = {};
  SendMessageW(FileNameBox(dialog), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(proposed));
  EXPECT_TRUE(std::wstring(proposed).ends_with(L"sample tool.exe.png")) << "the name a save writes: " << Utf8FromWide(proposed);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);

  // A real program's icon, for the eye: Wine's own notepad.
  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog);
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\windows\\system32\\notepad.exe"));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  Sleep(800);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-notepad.png"));

  // An adaptive icon with no bitmap at all, drawn: a red-to-blue background
  // under a white-centred radial oval, cut to a circle.
  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog);
  const std::string drawn = TestEnvironment("TESSAROO_FIXTURES") + "\\drawn\\adaptive-gradient.apk";
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(drawn).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  // The packaging tool runs a few times first; "Reading…" shows meanwhile.
  HWND tooltip = TooltipOf(process_);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"288 × 288 PNG"; }, 30000);
  // The tooltip changes before the box has repainted: wait for both colours.
  COLORREF middle = 0, background = 0;
  WaitUntil([&] {
    middle = PictureBoxCentre(window);
    screen = GetDC(nullptr);
    background = GetPixel(screen, box.left + (box.right - box.left) / 5, box.top + (box.bottom - box.top) / 5);
    ReleaseDC(nullptr, screen);
    return GetGValue(middle) > 240 && GetGValue(background) < 12;
  }, 10000);
  EXPECT_GT(GetGValue(middle), 240) << "the radial oval's white centre: " << std::hex << middle;
  EXPECT_NEAR(GetRValue(background), 0xb3, 12) << "the gradient background, a fifth of the way in";
  EXPECT_NEAR(GetGValue(background), 0x00, 12);
  EXPECT_NEAR(GetBValue(background), 0x4c, 12);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-drawn.png"));
}

// Real input, as the user's hand would give it.
void MouseTo(int x, int y) {
  SetCursorPos(x, y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}
void MouseButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
}

// Loads a picture into the running program through its import dialog.
void ImportThroughTheDialog(HANDLE process, HWND window, const std::string& path) {
  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process);
  ASSERT_TRUE(dialog);
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(path).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  Sleep(500);
}

// Saves the picture as a PNG through the program's save dialog under name,
// which the program makes name.png; the bytes written, none when no file
// came.
Bytes SaveThroughTheDialog(HANDLE process, HWND window, const std::string& name) {
  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process);
  if (!dialog) return {};
  // PNG, the first type, whatever type the last save chose.
  constexpr int kTypeList = 0x470;  // the save dialog's file type list (cmb1)
  HWND types = GetDlgItem(dialog, kTypeList);
  SendMessageW(types, CB_SETCURSEL, 0, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(name).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return GetFileAttributesA((name + ".png").c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
  return ReadWholeFile(name + ".png");
}

// The picture box's accessible name and value, as a screen reader asks.
std::pair<std::wstring, std::wstring> AccessibleNameAndValue(HWND box) {
  const ScopedOle com(ScopedOle::ComOnly);  // the object comes marshalled from the program
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(box, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object)))) return {};
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr, value = nullptr;
  object->get_accName(self, &name);
  object->get_accValue(self, &value);
  std::pair<std::wstring, std::wstring> result{name ? name : L"", value ? value : L""};
  SysFreeString(name);
  SysFreeString(value);
  object->Release();
  return result;
}

// No icon: the box says why, in its tooltip and its accessible value too; a file of no kind keeps
// the picture and says so in a balloon. A wide picture keeps its
// proportions, the box's background above and below it.
TEST_F(MainWindowTest, SaysWhyThereIsNoIconAndKeepsProportions) {
  HWND window = start();
  ASSERT_TRUE(window);
  RECT outer;
  GetWindowRect(window, &outer);
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  HWND tooltip = TooltipOf(process_);
  ImportThroughTheDialog(process_, window, fixtures + "\\apk\\no-icon.apk");
  WaitUntil([&] { return !ToolText(process_, tooltip).empty(); }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"未找到图标 (No icon in this file)");
  HWND box = GetDlgItem(window, kPictureBoxId);
  EXPECT_EQ(AccessibleNameAndValue(box), std::make_pair(std::wstring(L"Icon"), std::wstring(L"未找到图标 (No icon in this file)")));
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-reason.png"));

  TempFolder inputs;
  RgbaImage logo = SolidImage(1000, 307, 255, 255, 255, 255);  // a white logo on transparency
  for (int y = 100; y < 207; ++y)
    for (int x = 0; x < 1000; ++x) logo.pixels[(std::size_t(y) * 1000 + x) * 4 + 3] = 0;
  ASSERT_TRUE(WriteTestFile(inputs.file("logo.png"), EncodePng(logo)));
  ImportThroughTheDialog(process_, window, inputs.file("logo.png"));
  WaitUntil([&] { return ToolText(process_, tooltip) == L"1000 × 307 PNG"; }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"1000 × 307 PNG");
  EXPECT_EQ(AccessibleNameAndValue(box).second, L"1000 × 307 PNG");
  RECT area;
  GetWindowRect(box, &area);
  HDC screen = GetDC(nullptr);
  const COLORREF above = GetPixel(screen, (area.left + area.right) / 2, area.top + 8);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(above, GetSysColor(COLOR_BTNFACE)) << "above the wide picture: the box's background";
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-wide.png"));

  ASSERT_TRUE(WriteTestFile(inputs.file("notes.txt"), Bytes{'h', 'i'}));
  ImportThroughTheDialog(process_, window, inputs.file("notes.txt"));
  HWND balloon = TooltipOf(process_, Tips::Balloon);
  ASSERT_TRUE(balloon);
  WaitUntil([&] { return IsWindowVisible(balloon); }, 3000);
  EXPECT_TRUE(IsWindowVisible(balloon));
  EXPECT_EQ(ToolText(process_, balloon), L"不支持的文件类型 (Not a supported file)");
  EXPECT_EQ(ToolText(process_, tooltip), L"1000 × 307 PNG") << "the picture stays";
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-notice.png"));
}

// How many of the WM_NULL messages sent while busy() holds (at most
// milliseconds) the window left unanswered for 100 ms; -1 when it never
// was busy.
template <typename Busy>
int UnansweredWhile(HWND window, Busy busy, DWORD milliseconds) {
  int unanswered = 0, sent = 0;
  for (const ULONGLONG start = GetTickCount64(); busy() && GetTickCount64() - start < milliseconds; ++sent) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 100, &result)) ++unanswered;
    Sleep(20);
  }
  return sent ? unanswered : -1;
}

// A run that takes a while says so: the box reads "Reading… Esc to cancel"
// (its tooltip too; the app-starting cursor cannot be read from another
// process under Wine, whose cursor handles are the process's own), and Save
// and Copy are off, as the picture they would take is hidden. All the while
// the window answers at once. Escape ends that run and leaves the picture
// as it was; the window stays. Another import replaces a run under way,
// and closing the window during a run ends the program within a second.
TEST_F(MainWindowTest, BusyWhileReadingAndEscapeCancelsTheRun) {
  HWND window = start();
  ASSERT_TRUE(window);
  RECT outer;
  GetWindowRect(window, &outer);
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  HWND tooltip = TooltipOf(process_);
  ImportThroughTheDialog(process_, window, fixtures + "\\exe\\pe32-order.exe");
  WaitUntil([&] { return ToolText(process_, tooltip) == L"48 × 48 ICO"; }, 3000);
  ASSERT_EQ(ToolText(process_, tooltip), L"48 × 48 ICO");
  SetCursorPos((outer.left + outer.right) / 2, (outer.top + outer.bottom) / 2);

  const std::string slow = fixtures + "\\ipa\\many-entries.ipa";
  const std::wstring busy = L"正在读取…按 Esc 取消 (Reading… Esc to cancel)";
  auto startSlowImport = [&] {
    ImportThroughTheDialog(process_, window, slow);
    WaitUntil([&] { return ToolText(process_, tooltip) == busy; }, 10000);
  };
  startSlowImport();
  EXPECT_EQ(ToolText(process_, tooltip), busy);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kSaveButtonId))) << "nothing saved from a hidden picture";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kCopyButtonId)));
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-busy.png"));
  EXPECT_EQ(UnansweredWhile(window, [&] { return ToolText(process_, tooltip) == busy; }, 1500), 0);

  PostMessageW(GetDlgItem(window, kImportButtonId), WM_KEYDOWN, VK_ESCAPE, 0);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"48 × 48 ICO"; }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"48 × 48 ICO") << "the run ended, the picture as it was";
  WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, kSaveButtonId)) != FALSE; }, 3000);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kSaveButtonId)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kCopyButtonId)));
  EXPECT_TRUE(IsWindow(window)) << "Escape ended the run, not the window";

  // A package read in-process for seconds (600,000 entries, no tool runs):
  // the box says it is busy, and the window answers all the while.
  ImportThroughTheDialog(process_, window, fixtures + "\\hostile\\many-empty-files_1.0_all.deb");
  WaitUntil([&] { return ToolText(process_, tooltip) == busy; }, 5000);
  ASSERT_EQ(ToolText(process_, tooltip), busy) << "the read lasts past the busy delay";
  EXPECT_EQ(UnansweredWhile(window, [&] { return ToolText(process_, tooltip) == busy; }, 20000), 0);
  EXPECT_NE(ToolText(process_, tooltip), busy) << "the read ended";

  // Another import while one runs: the new one is what the box shows.
  startSlowImport();
  ImportThroughTheDialog(process_, window, fixtures + "\\exe\\pe32-order.exe");
  WaitUntil([&] { return ToolText(process_, tooltip) == L"48 × 48 ICO"; }, 5000);
  EXPECT_EQ(ToolText(process_, tooltip), L"48 × 48 ICO");

  startSlowImport();
  ASSERT_EQ(ToolText(process_, tooltip), busy);
  // Timed from the window's end: before it, Wine's X11 driver waits up to
  // 2 s for the unmapped window (no window manager here).
  PostMessageW(window, WM_CLOSE, 0, 0);
  WaitUntil([&] { return !IsWindow(window); }, 5000);
  const ULONGLONG closed = GetTickCount64();
  EXPECT_TRUE(closesWithin(3000));
  EXPECT_LT(GetTickCount64() - closed, 1000u) << "the program is gone within a second of its window";
  EXPECT_EQ(FindProcessIdByName("za.exe", false), 0u) << "no tool lives on";
}

// Several files pasted at once (as a drop or an Open with gives them):
// each result stays, in order, in a strip under the size row, the window
// grown to hold it; choosing one shows it, and Save all writes every icon
// into one folder under batch mode's names.
TEST_F(MainWindowTest, SeveralFilesStayInAStripAndSaveAllWritesEachIcon) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  TempFolder inputs, saves;
  ASSERT_TRUE(WriteTestFile(inputs.file("red.png"), EncodePng(SolidImage(64, 64, 220, 30, 30, 255))));
  const std::vector<std::string> files = {fixtures + "\\exe\\pe32-order.exe", fixtures + "\\exe\\no-icons.exe",
                                          inputs.file("red.png")};
  {
    std::wstring names;
    for (const std::string& file : files) names += WideFromAnsi(file) + L'\0';
    names += L'\0';
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    const ScopedClipboard clipboard(nullptr);
    ASSERT_TRUE(clipboard.opened());
    EmptyClipboard();
    SetClipboardData(CF_HDROP, drop);
  }
  RECT before;
  GetClientRect(window, &before);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kPasteCommandId, 1), 0);
  HWND strip = GetDlgItem(window, kResultStripId);
  HWND tooltip = TooltipOf(process_);
  WaitUntil([&] { return IsWindowVisible(strip) && ToolText(process_, tooltip) == L"64 × 64 PNG"; }, 10000);
  EXPECT_TRUE(IsWindowVisible(strip));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, kSaveAllButtonId)));
  EXPECT_EQ(ToolText(process_, tooltip), L"64 × 64 PNG") << "the last file shown, chosen in the strip";
  RECT after;
  GetClientRect(window, &after);
  EXPECT_EQ(after.bottom - before.bottom, kMainWindowClientHeightWithStrip - kMainWindowClientHeight);
  RECT outer;
  GetWindowRect(window, &outer);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-strip.png"));

  PostMessageW(strip, WM_KEYDOWN, VK_HOME, 0);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"48 × 48 ICO"; }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"48 × 48 ICO");
  PostMessageW(strip, WM_KEYDOWN, VK_RIGHT, 0);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"未找到图标 (No icon in this file)"; }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"未找到图标 (No icon in this file)") << "the file without an icon says why";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kSaveButtonId)));

  PostMessageW(GetDlgItem(window, kSaveAllButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the folder chooser";
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(saves.path()).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return GetFileAttributesA(saves.file("red.png.png").c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
  EXPECT_EQ(DecodePng(ReadWholeFile(saves.file("pe32-order.exe.png"))).width, 48u);
  EXPECT_EQ(DecodePng(ReadWholeFile(saves.file("red.png.png"))).width, 64u);
  EXPECT_EQ(GetFileAttributesA(saves.file("no-icons.exe.png").c_str()), INVALID_FILE_ATTRIBUTES);

  // A single file again: the strip goes, and the window is as it was.
  ImportThroughTheDialog(process_, window, inputs.file("red.png"));
  WaitUntil([&] { return !IsWindowVisible(strip); }, 5000);
  EXPECT_FALSE(IsWindowVisible(strip));
  GetClientRect(window, &after);
  EXPECT_EQ(after.bottom, before.bottom);
}

// The folder and the type of the last save are kept for the user: after a
// restart, Save opens there with the icon type chosen.
TEST_F(MainWindowTest, SaveRemembersItsFolderAndTypeAcrossARestart) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessaroo");
  const std::string exe = TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order.exe";
  TempFolder saves;
  constexpr int kTypeList = 0x470;  // the save dialog's file type list (cmb1)
  HWND window = start();
  ASSERT_TRUE(window);
  ImportThroughTheDialog(process_, window, exe);
  WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, kSaveButtonId)) != FALSE; }, 5000);
  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog);
  HWND types = GetDlgItem(dialog, kTypeList);
  SendMessageW(types, CB_SETCURSEL, 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(saves.file("kept.ico")).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  WaitUntil([&] { return GetFileAttributesA(saves.file("kept.ico").c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
  EXPECT_EQ(SniffImageFormat(ReadWholeFile(saves.file("kept.ico"))), ImageFormat::Icon);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(closesWithin(10000));

  window = start();
  ASSERT_TRUE(window);
  ImportThroughTheDialog(process_, window, exe);
  WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, kSaveButtonId)) != FALSE; }, 5000);
  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog);
  struct Text {
    wchar_t text[MAX_PATH];
  };
  const Text folder = SendWithRemote(process_, dialog, CDM_GETFOLDERPATH, MAX_PATH, Text{});
  EXPECT_EQ(std::wstring(folder.text), WideFromAnsi(saves.path()));
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kTypeList), CB_GETCURSEL, 0, 0), 1) << "the icon type";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessaroo");
}

// Every kind, named in Chinese, Korean or with an emoji, through the real
// import dialog; then the picture saved under a Chinese name.
TEST_F(MainWindowTest, ImportsEveryKindNamedInAnyLanguageAndSavesUnderAChineseName) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  TempFolder inputs("-输入 입력");
  const std::string exe = inputs.file("程序 😀.exe");
  ASSERT_TRUE(CopyTestFile(fixtures + "\\exe\\pe32-order.exe", exe));
  ASSERT_TRUE(CreateShellShortcut(exe, inputs.file("快捷方式.lnk")));
  const Bytes icon = EncodeIcoPng(SolidImage(64, 64, 90, 30, 160, 255));
  ASSERT_TRUE(WriteTestFile(inputs.file("图标.ico"), CombineIcons({icon})));
  // The tooltip names what the box shows: the executable's icon and the icon
  // file come as icon files (their whole groups), and so do a package's
  // densities; the image shown first.
  // Some are kept as screenshots for the record.
  const struct { const char* name; const char* fixture; COLORREF centre; const wchar_t* tip; const char* shot = nullptr; } kinds[] = {
      {"微信.apk", "apk\\five-densities.apk", RGB(200, 0, 200), L"192 × 192 ICO, from APK", "mainwindow-apk.png"},
      {"한국어.webp", "apk\\webp-only.webp", RGB(255, 200, 0), L"144 × 144 PNG, from WebP"},
      {"😀 应用.ipa", "ipa\\single.ipa", RGB(10, 120, 230), L"60 × 60 PNG"},
      {"程序 😀.exe", nullptr, RGB(30, 180, 60), L"48 × 48 ICO"},
      {"快捷方式.lnk", nullptr, RGB(30, 180, 60), L"48 × 48 ICO"},
      {"自适应 图标.apk", "drawn\\adaptive-vector.apk", RGB(255, 255, 255), L"288 × 288 PNG, from APK"},  // drawn
      {"安装程序.msi", "installer\\product-icon.msi", RGB(220, 30, 30), L"48 × 48 ICO", "mainwindow-msi.png"},
      {"计算器_1.0_all.deb", "linux\\demo-xz_1.0_all.deb", RGB(30, 160, 30), L"256 × 256 PNG", "mainwindow-deb.png"},
      {"图标.ico", nullptr, RGB(90, 30, 160), L"64 × 64 ICO"},
  };
  HWND tooltip = TooltipOf(process_);
  ASSERT_TRUE(tooltip);
  for (const auto& kind : kinds) {
    if (kind.fixture) {
      ASSERT_TRUE(CopyTestFile(fixtures + "\\" + kind.fixture, inputs.file(kind.name)));
    }
    ImportThroughTheDialog(process_, window, inputs.file(kind.name));
    WaitUntil([&] { return PictureBoxCentre(window) == kind.centre; }, 3000);
    EXPECT_EQ(PictureBoxCentre(window), kind.centre) << kind.name;
    EXPECT_EQ(ToolText(process_, tooltip), kind.tip) << kind.name;
    if (kind.shot) {
      RECT outer;
      GetWindowRect(window, &outer);
      SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\" + kind.shot));
    }
  }

  EXPECT_EQ(SaveThroughTheDialog(process_, window, inputs.file("保存的图标")), Bytes(icon.begin() + 22, icon.end()))
      << "the icon file's PNG, as it is";

  // A program without an icon clears the picture; the tooltip says why.
  ImportThroughTheDialog(process_, window, fixtures + "\\exe\\no-icons.exe");
  EXPECT_EQ(ToolText(process_, tooltip), L"未找到图标 (No icon in this file)");
}

// Ctrl with a key, typed as the user's hand would.
void PressWithControl(WORD key) {
  INPUT keys[4] = {};
  for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = key;
  keys[2].ki.wVk = key;
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_CONTROL;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
}

// A file copied in Explorer: CF_HDROP on the clipboard, names in UTF-16.
bool CopyFileToClipboard(const std::string& path) {
  const std::wstring name = WideFromAnsi(path);
  const std::size_t size = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), name.c_str(), name.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return GlobalFree(memory), false;
  EmptyClipboard();
  const bool set = SetClipboardData(CF_HDROP, memory) != nullptr;
  if (!set) GlobalFree(memory);
  CloseClipboard();
  return set;
}

// Ctrl+V takes in a file copied in Explorer, Ctrl+C copies, Ctrl+O opens the
// import dialog; the captions stay as they are.
// "Open with": a file named on the command line, relative to the folder the
// program starts in, is taken in once the window is up. Import has the
// focus, and Tab walks the buttons top down, then the size row (the
// program's group holds two images to choose from).
TEST_F(MainWindowTest, OpensTheFileItIsGivenAndTabsTopDown) {
  ASSERT_TRUE(CopyTestFile(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order.exe", otherFolder_.file("打开 我.exe")));
  HWND window = start("\"打开 我.exe\"");
  ASSERT_TRUE(window);
  WaitUntil([&] { return PictureBoxCentre(window) == RGB(30, 180, 60); }, 4000);
  EXPECT_EQ(PictureBoxCentre(window), RGB(30, 180, 60)) << "the program's icon";

  const auto focused = [window] {
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return GetDlgCtrlID(info.hwndFocus);
  };
  SetForegroundWindow(window);
  Sleep(300);
  EXPECT_EQ(focused(), kImportButtonId) << "Import has the focus at start";
  for (int id : {kCopyButtonId, kOnTopButtonId, kSaveButtonId, kSizeRowId, kImportButtonId}) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_TAB;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    Sleep(200);
    EXPECT_EQ(focused(), id);
  }
}

TEST_F(MainWindowTest, KeyboardShortcutsDriveTheWindow) {
  HWND window = start();
  ASSERT_TRUE(window);
  ASSERT_TRUE(CopyFileToClipboard(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order.exe"));
  SetForegroundWindow(window);
  Sleep(300);
  PressWithControl('V');
  WaitUntil([&] { return PictureBoxCentre(window) == RGB(30, 180, 60); }, 4000);
  EXPECT_EQ(PictureBoxCentre(window), RGB(30, 180, 60)) << "the copied executable's icon";

  PressWithControl('C');
  Sleep(500);
  EXPECT_EQ(RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "1 1").substr(0, 8), "bitmap=1");

  PressWithControl('O');
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "Ctrl+O opens the import dialog";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  EXPECT_EQ(TextOf(GetDlgItem(window, kImportButtonId)), L"导入文件");

  // A package whose icon is drawn, taken in as a drop is: a yellow oval
  // inset in a blue rounded rectangle.
  ASSERT_TRUE(CopyFileToClipboard(TestEnvironment("TESSAROO_FIXTURES") + "\\drawn\\adaptive-shapes.apk"));
  SetForegroundWindow(window);
  Sleep(300);
  PressWithControl('V');
  WaitUntil([&] { return PictureBoxCentre(window) == RGB(255, 235, 59); }, 4000);
  EXPECT_EQ(PictureBoxCentre(window), RGB(255, 235, 59)) << "the drawn icon's yellow centre";
}

// Presses on the picture box and moves, in steps, to (x, y); then either
// releases the button there or presses Escape first.
void DragFromPictureBox(HWND window, int x, int y, bool escape) {
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  const int fromX = (box.left + box.right) / 2, fromY = (box.top + box.bottom) / 2;
  MouseTo(fromX, fromY);
  Sleep(200);
  MouseButton(true);
  Sleep(200);
  for (int step = 1; step <= 10; ++step) {
    MouseTo(fromX + (x - fromX) * step / 10, fromY + (y - fromY) * step / 10);
    Sleep(60);
  }
  if (escape) {
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = VK_ESCAPE;
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof key[0]);
    Sleep(300);
  }
  MouseButton(false);
}

// The run directory's work folders (the drag folder among them).
std::vector<std::string> WorkFoldersIn(const std::string& runDirectory) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((runDirectory + "\\~work-*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do found.push_back(runDirectory + "\\" + entry.cFileName); while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

// A real drag under Xvfb: pressing on the picture box and releasing over
// another program's drop target hands it CF_HDROP naming a file in the
// program's drag folder, named as a save would name it, which holds the
// picture as a PNG. A click without movement writes nothing; Escape
// cancels; the drag folder goes with the program.
TEST_F(MainWindowTest, DraggingThePictureOutDropsTheWorkFile) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string fixture = TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order";
  ImportThroughTheDialog(process_, window, fixture + ".exe");

  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  MouseTo((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  Sleep(200);
  MouseButton(true);
  Sleep(200);
  MouseButton(false);
  Sleep(500);
  EXPECT_EQ(WorkFoldersIn(runFolder_.path()), std::vector<std::string>{}) << "a click drags nothing out";

  TempFolder catcherFolder;
  const std::string caught = catcherFolder.file("caught.png");
  TestProcess catcher = StartProgram("\"" + TestProgramFolder() + "\\dropcatcher.exe\" 40 40 \"" + caught + "\"", "");
  ASSERT_TRUE(catcher);
  WaitUntil([&] { return FindWindowW(L"DropCatcher", nullptr) != nullptr; }, 5000);
  Sleep(500);

  // Escape first: the keys go to the dragging window when it has the focus.
  SetForegroundWindow(window);
  DragFromPictureBox(window, 140, 140, true);
  Sleep(1000);
  EXPECT_EQ(GetFileAttributesA((caught + ".name").c_str()), INVALID_FILE_ATTRIBUTES) << "Escape cancels the drag";

  DragFromPictureBox(window, 140, 140, false);
  WaitUntil([&] { return GetFileAttributesA((caught + ".name").c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
  const Bytes name = ReadWholeFile(caught + ".name");
  const std::vector<std::string> folders = WorkFoldersIn(runFolder_.path());
  ASSERT_EQ(folders.size(), 1u) << "the drag folder";
  EXPECT_EQ(std::string(name.begin(), name.end()), folders[0] + "\\pe32-order.exe.png");
  // The program's 48 x 48 bitmap, dragged out as a PNG of its pixels.
  const RgbaImage picture = DecodePng(ReadWholeFile(fixture + ".expect.png"));
  ASSERT_EQ(picture.width, 48);
  const Bytes dropped = ReadWholeFile(folders[0] + "\\pe32-order.exe.png");
  EXPECT_TRUE(HasPngSignature(dropped)) << "the work file is a PNG";
  EXPECT_EQ(DecodePng(dropped).pixels, picture.pixels) << "the work file holds the picture";
  EXPECT_EQ(ReadWholeFile(caught), dropped) << "the drop target copied the work file's exact bytes";

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process_, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WorkFoldersIn(runFolder_.path()), std::vector<std::string>{}) << "the drag folder goes at exit";
}

// A key typed as the user's hand would.
void PressKey(WORD key) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = key;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  Sleep(150);
}

// A click on the size row's first cell, at its left edge: the row takes the
// focus, and the largest image is chosen.
void ClickRowStart(HWND window, HWND row) {
  SetForegroundWindow(window);
  Sleep(300);
  RECT r;
  GetWindowRect(row, &r);
  MouseTo(r.left + 5, (r.top + r.bottom) / 2);
  Sleep(100);
  MouseButton(true);
  MouseButton(false);
  Sleep(300);
}

// What the clipboard holds: its bitmap's size (clipread's line) and its PNG's.
std::pair<std::string, std::pair<int, int>> ClipboardSizes(const std::string& folder) {
  const std::string line = RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "1 1");
  const std::size_t at = line.find("size=");
  const std::string bitmap = at == std::string::npos ? line : line.substr(at, line.find(' ', at) - at);
  const std::string png = folder + "\\clip.png";
  RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "png \"" + png + "\"");
  const RgbaImage image = DecodePng(ReadWholeFile(png));
  return {bitmap, {image.width, image.height}};
}

// The size row on a program's group of ten images (Wine's own notepad):
// sizes and depths, largest first; Right chooses the next, the mouse the one
// clicked, and what the box shows, Copy and Save as PNG all follow. Then an
// icon set made by a real tool (png2icns: 256, 128 and 32 pixels).
TEST_F(MainWindowTest, SizeRowChoosesTheImageShownCopiedAndSaved) {
  HWND window = start();
  ASSERT_TRUE(window);
  RECT outer;
  GetWindowRect(window, &outer);
  HWND row = GetDlgItem(window, kSizeRowId);
  HWND tooltip = TooltipOf(process_);
  EXPECT_FALSE(IsWindowEnabled(row)) << "nothing to choose yet";
  ImportThroughTheDialog(process_, window, "C:\\windows\\system32\\notepad.exe");
  WaitUntil([&] { return ToolText(process_, tooltip) == L"256 × 256 ICO"; }, 5000);
  EXPECT_TRUE(IsWindowEnabled(row));
  EXPECT_EQ(AccessibleNameAndValue(row), std::make_pair(std::wstring(L"Icon sizes"), std::wstring(L"256 × 256, 32-bit, 1 of 10")));
  const std::string artifacts = TestEnvironment("TESSAROO_ARTIFACTS");
  SaveScreenRectAsPng(outer, WideFromAnsi(artifacts + "\\mainwindow-sizes.png"));

  ClickRowStart(window, row);
  GUITHREADINFO thread{sizeof thread};
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  EXPECT_EQ(thread.hwndFocus, row) << "a click gives the row the focus";
  PressKey(VK_RIGHT);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"48 × 48 ICO"; }, 3000);
  EXPECT_EQ(ToolText(process_, tooltip), L"48 × 48 ICO") << "Right: the next image, shown";
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"48 × 48, 32-bit, 2 of 10");
  for (int i = 0; i < 6; ++i) PressKey(VK_RIGHT);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"16 × 16 ICO"; }, 3000);
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"16 × 16, 32-bit, 8 of 10");
  Sleep(300);
  SaveScreenRectAsPng(outer, WideFromAnsi(artifacts + "\\mainwindow-sizes-16.png"));

  TempFolder outputs;
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCopyButtonId, BN_CLICKED), 0);
  EXPECT_EQ(ClipboardSizes(outputs.path()), std::make_pair(std::string("size=16x16"), std::make_pair(16, 16)));
  const RgbaImage written = DecodePng(SaveThroughTheDialog(process_, window, outputs.file("chosen")));
  EXPECT_EQ(std::make_pair(written.width, written.height), std::make_pair(16, 16)) << "Save as PNG: the chosen image";

  ClickRowStart(window, row);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"256 × 256 ICO"; }, 3000);
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"256 × 256, 32-bit, 1 of 10") << "a click chooses the cell";

  ImportThroughTheDialog(process_, window, TestEnvironment("TESSAROO_FIXTURES") + "\\mac\\png2icns.icns");
  WaitUntil([&] { return ToolText(process_, tooltip) == L"256 × 256 ICO, from icns"; }, 5000);
  EXPECT_EQ(ToolText(process_, tooltip), L"256 × 256 ICO, from icns");
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"256 × 256, 32-bit, 1 of 3");
  ClickRowStart(window, row);
  PressKey(VK_RIGHT);
  WaitUntil([&] { return ToolText(process_, tooltip) == L"128 × 128 ICO, from icns"; }, 3000);
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"128 × 128, 32-bit, 2 of 3");
  Sleep(300);
  SaveScreenRectAsPng(outer, WideFromAnsi(artifacts + "\\mainwindow-sizes-icns.png"));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCopyButtonId, BN_CLICKED), 0);
  EXPECT_EQ(ClipboardSizes(outputs.path()), std::make_pair(std::string("size=128x128"), std::make_pair(128, 128)));
}

// A file dragged from another program with OLE drag and drop onto the window
// is taken in like an import: the window's registered drop target takes the
// drag (Wine's OLE offers drags to registered targets only, never to a window
// that merely accepts files).
TEST_F(MainWindowTest, FileDraggedFromAnotherProgramIsTakenIn) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string exe = TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\pe32-order.exe";
  TestProcess sender = StartProgram("\"" + TestProgramFolder() + "\\dragsender.exe\" 40 40 \"" + exe + "\"", "");
  ASSERT_TRUE(sender);
  WaitUntil([&] { return FindWindowW(L"DragSender", nullptr) != nullptr; }, 5000);
  Sleep(500);

  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  MouseTo(140, 140);
  Sleep(200);
  MouseButton(true);
  Sleep(300);
  for (int step = 1; step <= 10; ++step) {
    MouseTo(140 + ((box.left + box.right) / 2 - 140) * step / 10, 140 + ((box.top + box.bottom) / 2 - 140) * step / 10);
    Sleep(60);
  }
  MouseButton(false);
  WaitUntil([&] { return PictureBoxCentre(window) == RGB(30, 180, 60); }, 5000);
  EXPECT_EQ(PictureBoxCentre(window), RGB(30, 180, 60)) << "the dropped executable's 48 x 48 green icon";
}

// Run by the gui_tests_144dpi entry only, with Wine's screen at 144 dpi
// (scripts/at-dpi.sh); TESSAROO_SCREEN_DPI says so.
class HighDpiMainWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    if (TestEnvironment("TESSAROO_SCREEN_DPI") != "144") GTEST_SKIP() << "runs with the screen at 144 dpi only";
    const ScopedGetDC screen(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSY), 144);
    MainWindowTest::SetUp();
  }
};

// The window made on a 144-dpi screen: client area, controls and font one
// and a half times those of 96 dpi, inside the frame Wine draws at 144 dpi.
TEST_F(HighDpiMainWindowTest, OpensScaledForTheScreen) {
  HWND window = start();
  ASSERT_TRUE(window);
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 618);
  EXPECT_EQ(client.bottom, 396);
  EXPECT_EQ(outer.right - outer.left, 624) << "3 pixels of frame a side";
  EXPECT_EQ(outer.bottom - outer.top, 430) << "and a 28-pixel caption";
  // Centred on the 1280 x 1024 test screen.
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(outer.left, 328);
  EXPECT_EQ(outer.top, 297);
  ExpectLayoutAt(144, process_, window);

  // A real program's icon, for the eye: Wine's own notepad, as in the
  // picture of the window at 96 dpi (mainwindow-notepad.png).
  ImportThroughTheDialog(process_, window, "C:\\windows\\system32\\notepad.exe");
  Sleep(300);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-144dpi.png"));

  // Its 16-pixel image, 17 times as large and pixel-sharp.
  HWND row = GetDlgItem(window, kSizeRowId);
  ClickRowStart(window, row);
  for (int i = 0; i < 7; ++i) PressKey(VK_RIGHT);
  WaitUntil([&] { return AccessibleNameAndValue(row).second == L"16 × 16, 32-bit, 8 of 10"; }, 3000);
  EXPECT_EQ(AccessibleNameAndValue(row).second, L"16 × 16, 32-bit, 8 of 10");
  Sleep(300);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-144dpi-16.png"));
}

}  // namespace
