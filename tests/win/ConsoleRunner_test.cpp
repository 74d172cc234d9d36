#include "extract/ConsoleRunner_win.h"
#include "support/MessagePump_win.h"
#include "support/TextCodec_win.h"

#include <gtest/gtest.h>

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

// Two running copies of a tool: one kill ends exactly one of them, and the
// name matches whatever its letter case.
TEST(KillProcessByName, EndsOnlyTheFirstMatchIgnoringCase) {
  TempFolder folder;
  const std::string tool = folder.file("pt.exe");
  ASSERT_TRUE(CopyTestFile(TestProgramFolder() + "\\emit.exe", tool));
  HANDLE first = StartProgram("\"" + tool + "\" sleep 60000", folder.path());
  HANDLE second = StartProgram("\"" + tool + "\" sleep 60000", folder.path());
  ASSERT_TRUE(first && second);
  Sleep(300);

  EXPECT_NE(FindProcessIdByName("PT.EXE", false), 0u);
  EXPECT_EQ(FindProcessIdByName("PT.EXE", true), 0u);
  EXPECT_EQ(FindProcessIdByName(tool, false), 0u) << "a name with a folder never matches";

  KillProcessByName("PT.exe");
  HANDLE both[] = {first, second};
  const DWORD ended = WaitForMultipleObjects(2, both, FALSE, 5000);
  ASSERT_TRUE(ended == WAIT_OBJECT_0 || ended == WAIT_OBJECT_0 + 1);
  HANDLE other = ended == WAIT_OBJECT_0 ? second : first;
  EXPECT_EQ(WaitForSingleObject(other, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "ended both";

  KillProcessByName("pt.exe");
  EXPECT_EQ(WaitForSingleObject(other, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(FindProcessIdByName("pt.exe", false), 0u);
  KillProcessByName("pt.exe");  // nothing left: does nothing
  CloseHandle(first);
  CloseHandle(second);
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
