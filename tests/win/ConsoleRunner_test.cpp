#include "support/MessagePump_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/win/TestSupport.h"

namespace {

// The runner starts programs by full path, as the pipelines start the tools.
std::string Emit() { return TestProgramFolder() + "\\emit.exe"; }

TEST(ConsoleRunner, CapturesWhatTheToolPrints) {
  EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "hello");
  EXPECT_EQ(RunConsoleCommand(Emit(), "sleep 10"), "");
}

TEST(ConsoleRunner, ArgumentsReachTheToolAsTheyAre) {
  // No interpreter: nothing expands %NAME%, and & or > are plain text.
  EXPECT_EQ(RunConsoleCommand(Emit(), "text a%OS%b"), "a%OS%b");
  EXPECT_EQ(RunConsoleCommand(Emit(), "text \"x & echo y > z\""), "x & echo y > z");
}

TEST(ConsoleRunner, RunsInTheFolderItIsGiven) {
  TempFolder folder;
  EXPECT_EQ(RunConsoleCommand(Emit(), "cwd", folder.path()), folder.path());
}

TEST(ConsoleRunner, InterleavesStandardOutputAndErrorInArrivalOrder) {
  EXPECT_EQ(RunConsoleCommand(Emit(), "interleave"), "out1\nerr1\nout2\nerr2\nout3\nerr3\n");
}

TEST(ConsoleRunner, MissingProgramGivesEmptyText) {
  EXPECT_EQ(RunConsoleCommand(TestProgramFolder() + "\\nosuchtool-xyz.exe", "dump badging \"a b.apk\""), "");
}

TEST(ConsoleRunner, ZeroByteCutsOnlyTheReadItArrivesIn) {
  EXPECT_EQ(RunConsoleCommand(Emit(), "zero"), "abef");
}

TEST(ConsoleRunner, LargeOutputArrivesWhole) {
  const size_t size = 10u << 20;
  const std::string out = RunConsoleCommand(Emit(), "bytes " + std::to_string(size));
  ASSERT_EQ(out.size(), size);
  EXPECT_EQ(out.compare(0, 7, "line 0\n"), 0);
  // Lines are numbered by their byte offset; check one far into the output.
  const size_t at = out.find("\nline ", size - 100) + 1;
  EXPECT_EQ(out.compare(at, 5 + std::to_string(at).size(), "line " + std::to_string(at)), 0);
}

TEST(ConsoleRunner, KeepsTheWindowAnsweringWhileTheToolRuns) {
  MessageCounter counter(WM_APP);
  ASSERT_TRUE(counter.window());
  PostMessageW(counter.window(), WM_APP, 0, 0);
  RunConsoleCommand(Emit(), "sleep 300");
  EXPECT_EQ(counter.count(), 1);
}

TEST(PauseWithMessages, DispatchesPostedMessagesAndWaitsForTheTimer) {
  MessageCounter counter(WM_APP + 1);
  ASSERT_TRUE(counter.window());
  PostMessageW(counter.window(), WM_APP + 1, 0, 0);
  const ULONGLONG start = GetTickCount64();
  PauseWithMessages(200);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(counter.count(), 1);
  EXPECT_GE(elapsed, 150u);
}

// Runs an action when a posted message is dispatched, as a drop arriving
// while a tool runs would be.
std::function<void()> gOnMessage;
LRESULT CALLBACK ActOnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 7 && gOnMessage) gOnMessage();
  return DefWindowProcW(window, message, wParam, lParam);
}

class WhileRunning {
 public:
  explicit WhileRunning(std::function<void()> action) {
    gOnMessage = std::move(action);
    window_ = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ActOnMessage));
    PostMessageW(window_, WM_APP + 7, 0, 0);
  }
  ~WhileRunning() {
    DestroyWindow(window_);
    gOnMessage = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

// A nested run ends the outer run's tool by name: only the process this
// program started, never another program's process of that name.
TEST(EndToolRun, EndsOnlyTheRunThisProgramStarted) {
  TempFolder folder;
  const std::string tool = folder.file("pt.exe");
  ASSERT_TRUE(CopyTestFile(Emit(), tool));
  TestProcess foreign = StartProgram("\"" + tool + "\" sleep 60000", folder.path());
  ASSERT_TRUE(foreign);
  {
    WhileRunning nested([] { EndToolRun("PT.EXE"); });
    EXPECT_EQ(RunConsoleCommand(tool, "late 20000 finished"), "") << "ended before it printed";
  }
  EXPECT_EQ(WaitForSingleObject(foreign, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "another program's pt.exe lives on";
  EndToolRun("pt.exe");  // nothing of ours runs: does nothing
}

// A program that ends while its tool runs takes the tool with it (the job
// the runner puts every tool in), so no tool lives on invisibly.
TEST(ConsoleRunner, ToolsEndWithTheProgramThatStartedThem) {
  TempFolder folder;
  const std::string tool = folder.file("stuck.exe");
  ASSERT_TRUE(CopyTestFile(Emit(), tool));
  TestProcess host = StartProgram("\"" + TestProgramFolder() + "\\runnerhost.exe\" \"" + tool + "\" \"sleep 60000\"", folder.path());
  ASSERT_TRUE(host);
  std::uint32_t running = 0;
  for (int i = 0; i < 200 && !running; ++i, Sleep(50)) running = FindProcessIdByName("stuck.exe", false);
  ASSERT_NE(running, 0u) << "the host started its tool";
  host.end();
  HANDLE stuck = OpenProcess(SYNCHRONIZE, FALSE, running);
  const bool ended = !stuck || WaitForSingleObject(stuck, 10000) == WAIT_OBJECT_0;
  if (stuck) CloseHandle(stuck);
  EXPECT_TRUE(ended);
  TerminateProcessById(FindProcessIdByName("stuck.exe", false));  // never leave one behind
}

// Closing the window while a tool runs: the runner ends the tool and
// returns, and nothing starts afterwards.
TEST(ConsoleRunner, QuitDuringARunEndsTheToolAndStartsNoOther) {
  PostQuitMessage(0);
  EXPECT_EQ(RunConsoleCommand(Emit(), "late 20000 finished"), "");
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "");
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
  ClearQuitRequest();
  EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "hello");
}

TEST(TerminateProcessById, NothingToEndIsFalse) {
  EXPECT_FALSE(TerminateProcessById(0));
}

// This program runs without the UTF-8 manifest, as the program does on
// systems that ignore it: tool text then takes the system's code page.
TEST(ToolTextToNarrow, ConvertsToTheProcessCodePageAndMarksWhatItLacks) {
  ASSERT_FALSE(ProcessTextIsUtf8());
  const bool chinese = GetACP() == 936;
  EXPECT_EQ(ToolTextToNarrow(""), "");
  EXPECT_EQ(ToolTextToNarrow("\xE4\xB8\xAD\xE6\x96\x87 label"), chinese ? "\xD6\xD0\xCE\xC4 label" : "?? label");  // 中文
  EXPECT_EQ(ToolTextToNarrow("a\xE0\xB8\x81z"), "a?z");  // Thai ko kai is in neither code page
  EXPECT_EQ(ToolTextToNarrow(std::string("ab\0cd", 5)), "ab");
}

TEST(ConsoleRunner, ToolOutputConvertsAsThePipelinesDo) {
  EXPECT_EQ(ToolTextToNarrow(RunConsoleCommand(Emit(), "utf8")), GetACP() == 936 ? "\xD6\xD0\xCE\xC4 label" : "?? label");
}

}  // namespace
