// Drives the real window program from outside: started from another folder,
// under Wine and Xvfb, checked through window handles like any other program.
// The program sits in a folder with a Chinese name; this test program carries
// the same UTF-8 manifest, so its narrow text is UTF-8 too.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "extract/HelperTools.h"
#include "app/HelperTools_win.h"
#include "app/MainWindowLayout.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/win/TestSupport.h"

namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

HWND WaitForMainWindow(HANDLE process) { return WaitForWindowOf(process, L"TessarooMainWindow"); }

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

  HWND start() {
    process_ = StartProgram("\"" + program_ + "\"", otherFolder_.path());
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
  EXPECT_EQ(outer.right - outer.left, kMainWindowWidth);
  EXPECT_EQ(outer.bottom - outer.top, kMainWindowHeight);
  const ScreenPoint centre = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                            kMainWindowWidth, kMainWindowHeight);
  EXPECT_EQ(outer.left, centre.x);
  EXPECT_EQ(outer.top, centre.y);

  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  for (const ControlLayout& c : kMainWindowControls) {
    HWND control = GetDlgItem(window, c.id);
    ASSERT_TRUE(control) << c.id;
    EXPECT_TRUE(IsWindowVisible(control)) << c.id;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, c.left) << c.id;
    EXPECT_EQ(r.top, c.top) << c.id;
    EXPECT_EQ(r.right - r.left, c.width) << c.id;
    EXPECT_EQ(r.bottom - r.top, c.height) << c.id;
    const std::wstring expected = c.id == kOnTopButtonId ? std::wstring(kCancelOnTopCaption)
                                                         : std::wstring(c.caption);
    EXPECT_EQ(TextOf(control), expected) << c.id;
  }
  RECT client;
  GetClientRect(GetDlgItem(window, kPictureBoxId), &client);
  EXPECT_EQ(client.right, 182) << "a one-pixel border on each side";
  EXPECT_EQ(client.bottom, 182);

  // The current directory is the run directory, although the program was
  // started from another folder.
  std::wstring current = CurrentDirectoryOf(process_);
  if (!current.empty() && current.back() == L'\\') current.pop_back();
  EXPECT_EQ(CompareStringOrdinal(current.c_str(), -1, WideFromAnsi(runFolder_.path()).c_str(), -1, TRUE),
            CSTR_EQUAL) << Utf8FromWide(current);

  Sleep(500);  // let the window paint before the picture is taken
  const std::string shot = TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow.png";
  EXPECT_TRUE(SaveScreenRectAsPng(outer, WideFromAnsi(shot)));
}

TEST_F(MainWindowTest, OnTopButtonFlipsTheStateBothWays) {
  HWND window = start();
  ASSERT_TRUE(window);
  HWND button = GetDlgItem(window, kOnTopButtonId);
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kOnTopCaption);
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kCancelOnTopCaption);

  // A caption that is neither text: the next click clears always-on-top.
  SetWindowTextW(button, L"other");
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(TextOf(button), kOnTopCaption);
}

TEST_F(MainWindowTest, EscapeClosesTheWindowAndEndsTheProgram) {
  HWND window = start();
  ASSERT_TRUE(window);
  PostMessageW(GetDlgItem(window, kImportButtonId), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(closesWithin(10000));
}

TEST_F(MainWindowTest, WritesTheToolsAndRepairsOnlyADamagedOne) {
  ASSERT_TRUE(start());
  HMODULE carrier = LoadLibraryExA(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(carrier);
  const std::string source = TestEnvironment("TESSAROO_TOOLS_DIR");
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
  const FILETIME after = LastWriteTime(runFolder_.file("pt.exe"));
  EXPECT_EQ(CompareFileTime(&before, &after), 0) << "an identical tool is left untouched";
  EXPECT_TRUE(FileHoldsBytes(damaged, CarriedToolBytes(carrier, IDR_TOOL_DWEBP)));
  EXPECT_EQ(ComparableAttributes(damaged), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
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

TEST_F(MainWindowTest, ImportShowsTheIconAndTheSaveDialogProposesThePath) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string exe = runFolder_.file("sample tool.exe");
  ASSERT_TRUE(CopyTestFile(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\order-256-first.exe", exe));

  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the open dialog";
  HWND name = FileNameBox(dialog);
  ASSERT_TRUE(name);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(exe).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  ASSERT_FALSE(IsWindow(dialog)) << "the dialog closed on a file that exists";
  Sleep(800);

  // The 48 x 48 green image fills the picture box.
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  HDC screen = GetDC(nullptr);
  const COLORREF centre = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(centre, RGB(30, 180, 60));
  RECT outer;
  GetWindowRect(window, &outer);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-icon.png"));

  // One dialog object: the save dialog proposes the imported file.
  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the save dialog";
  wchar_t proposed[MAX_PATH] = {};
  SendMessageW(FileNameBox(dialog), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(proposed));
  EXPECT_NE(std::wstring(proposed).find(L"sample tool.exe"), std::wstring::npos) << Utf8FromWide(proposed);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);

  // A real program's icon, for the eye: Wine's own notepad.
  PostMessageW(GetDlgItem(window, kImportButtonId), BM_CLICK, 0, 0);
  dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog);
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\windows\\system32\\notepad.exe"));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  Sleep(800);
  SaveScreenRectAsPng(outer, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\mainwindow-notepad.png"));
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
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  Sleep(500);
}

COLORREF PictureBoxCentre(HWND window) {
  RECT box;
  GetWindowRect(GetDlgItem(window, kPictureBoxId), &box);
  HDC screen = GetDC(nullptr);
  const COLORREF centre = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return centre;
}

// Every kind, named in Chinese, Korean or with an emoji, through the real
// import dialog; then the picture saved under a Chinese name.
TEST_F(MainWindowTest, ImportsEveryKindNamedInAnyLanguageAndSavesUnderAChineseName) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  TempFolder inputs("-输入 입력");
  const std::string exe = inputs.file("程序 😀.exe");
  ASSERT_TRUE(CopyTestFile(fixtures + "\\exe\\order-256-first.exe", exe));
  ASSERT_TRUE(CreateShellShortcut(exe, inputs.file("快捷方式.lnk")));
  const struct { const char* name; const char* fixture; COLORREF centre; } kinds[] = {
      {"微信.apk", "apk\\five-densities.apk", RGB(200, 0, 200)},
      {"한국어.webp", "apk\\webp-only.webp", RGB(255, 200, 0)},
      {"😀 应用.ipa", "ipa\\single.ipa", RGB(10, 120, 230)},
      {"程序 😀.exe", nullptr, RGB(30, 180, 60)},
      {"快捷方式.lnk", nullptr, RGB(30, 180, 60)},
  };
  for (const auto& kind : kinds) {
    if (kind.fixture) ASSERT_TRUE(CopyTestFile(fixtures + "\\" + kind.fixture, inputs.file(kind.name)));
    ImportThroughTheDialog(process_, window, inputs.file(kind.name));
    Sleep(500);
    EXPECT_EQ(PictureBoxCentre(window), kind.centre) << kind.name;
  }

  PostMessageW(GetDlgItem(window, kSaveButtonId), BM_CLICK, 0, 0);
  HWND dialog = WaitForDialog(process_);
  ASSERT_TRUE(dialog) << "the save dialog";
  const std::string saved = inputs.file("保存的图标");
  SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromAnsi(saved).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  for (int i = 0; i < 100 && GetFileAttributesA((saved + ".png").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
  EXPECT_EQ(ReadWholeFile(saved + ".png"), ReadWholeFile(fixtures + "\\exe\\order-256-first.expect.ico"));
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
  Sleep(400);  // the program pauses 200 ms before the drag starts
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

// A real drag under Xvfb: pressing on the picture box and releasing over
// another program's drop target hands it CF_HDROP naming the run directory's
// icon.png, which holds the picture's exact bytes. Escape cancels.
TEST_F(MainWindowTest, DraggingThePictureOutDropsTheWorkFile) {
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string fixture = TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\order-256-first";
  ImportThroughTheDialog(process_, window, fixture + ".exe");

  TempFolder catcherFolder;
  const std::string caught = catcherFolder.file("caught.png");
  TestProcess catcher = StartProgram("\"" + TestProgramFolder() + "\\dropcatcher.exe\" 40 40 \"" + caught + "\"", "");
  ASSERT_TRUE(catcher);
  for (int i = 0; i < 100 && !FindWindowW(L"DropCatcher", nullptr); ++i) Sleep(50);
  Sleep(500);

  // Escape first: the keys go to the dragging window when it has the focus.
  SetForegroundWindow(window);
  DragFromPictureBox(window, 140, 140, true);
  Sleep(1000);
  EXPECT_EQ(GetFileAttributesA((caught + ".name").c_str()), INVALID_FILE_ATTRIBUTES) << "Escape cancels the drag";

  DragFromPictureBox(window, 140, 140, false);
  for (int i = 0; i < 100 && GetFileAttributesA((caught + ".name").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
  const Bytes name = ReadWholeFile(caught + ".name");
  EXPECT_EQ(std::string(name.begin(), name.end()), runFolder_.path() + "/icon.png");
  const Bytes picture = ReadWholeFile(fixture + ".expect.ico");
  EXPECT_EQ(ReadWholeFile(runFolder_.file("icon.png")), picture) << "the work file holds the picture";
  EXPECT_EQ(ReadWholeFile(caught), picture) << "the drop target copied the picture's exact bytes";

}

// A file dragged from another program with OLE drag and drop onto the window
// arrives as WM_DROPFILES and is taken in like an import. Windows' OLE turns
// such a drag into WM_DROPFILES for a window that accepts files; Wine 8 does
// not (measured: the same drag reaches a registered OLE drop target, but
// never a DragAcceptFiles window), so this runs on Windows only.
TEST_F(MainWindowTest, FileDraggedFromAnotherProgramIsTakenIn) {
  if (RunningUnderWine()) GTEST_SKIP() << "Wine delivers OLE drags to registered drop targets only";
  HWND window = start();
  ASSERT_TRUE(window);
  const std::string exe = TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\order-256-first.exe";
  TestProcess sender = StartProgram("\"" + TestProgramFolder() + "\\dragsender.exe\" 40 40 \"" + exe + "\"", "");
  ASSERT_TRUE(sender);
  for (int i = 0; i < 100 && !FindWindowW(L"DragSender", nullptr); ++i) Sleep(50);
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
  Sleep(1500);

  HDC screen = GetDC(nullptr);
  const COLORREF centre = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(centre, RGB(30, 180, 60)) << "the dropped executable's 48 x 48 green icon";

}

}  // namespace
