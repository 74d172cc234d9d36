#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

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

// Cancelling an import (from the window's thread) ends the tool it waits
// on at once, and no tool starts for it afterwards; another import's
// runs go on.
TEST(ConsoleRunner, CancellingTheImportEndsItsToolAndStartsNoOther) {
  std::atomic<bool> cancel = false;
  const ImportBudget budget(&cancel);
  std::thread window([&cancel] {
    Sleep(300);
    cancel = true;
  });
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(RunConsoleCommand(Emit(), "late 20000 finished"), "");
  EXPECT_LT(GetTickCount64() - start, 5000u) << "ended when cancelled, not when it finished";
  window.join();
  EXPECT_FALSE(ImportGoesOn());
  EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "");
  std::thread other([] {
    const ImportBudget own;
    EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "hello");
  });
  other.join();
}

// The program's own work for an import may commit 512 MiB beyond what it
// held at the start: past that the import stops where it next looks.
TEST(ImportBudget, MemoryBeyondTheBudgetStopsTheImport) {
  const ImportBudget budget;
  std::vector<char> held(kMaxImportMemory / 2);
  Sleep(10);
  EXPECT_TRUE(ImportGoesOn());
  std::vector<char> more(kMaxImportMemory / 2 + (64u << 20));
  Sleep(10);
  EXPECT_FALSE(ImportGoesOn());
  EXPECT_TRUE(budget.exhausted());
  EXPECT_EQ(RunConsoleCommand(Emit(), "text hello"), "") << "no tool runs for it any more";
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
