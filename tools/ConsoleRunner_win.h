#pragma once
// Runs the helper tools as hidden console processes and captures what they
// print. Everything here runs on the GUI thread and keeps the window answering
// while it waits.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "support/Bytes.h"

// Starts the program (a full path) directly, with the command line made of
// the quoted program path, a blank and the arguments (paths in them already
// quoted), in folder (or the current folder when empty), with no console
// window and standard output and standard error on one pipe; returns all the
// bytes the tool wrote, in arrival order, once it has ended. The empty text
// when nothing was captured or the program could not be started. Every tool
// runs in the program's job, so none outlives the program. Once the program
// is quitting (WM_QUIT met while waiting), the tool is ended and the runner
// returns; after that no tool starts at all.
std::string RunConsoleCommand(const std::string& program, const std::string& arguments,
                              const std::string& folder = {});

// The same for a tool that prints a lot (an archive listing): its output
// goes into the new file outputPath, which it may grow to
// kMaxCapturedOutput before it is ended (then: the empty text), and is read
// back once the tool has ended. The caller removes the file.
std::string RunConsoleCommandThroughFile(const std::string& program, const std::string& arguments,
                                        const std::string& folder, const std::string& outputPath);

// Receives a tool's output as it arrives; false ends the tool.
using OutputSink = std::function<bool(std::span<const char> chunk)>;

// What a streamed run gave.
struct StreamedRun {
  bool complete = false;    // the tool ran and ended by itself
  bool overflowed = false;  // it printed more than the cap and was ended there
  std::uint64_t bytes = 0;  // handed to the sink
};

// Runs the tool as RunConsoleCommand does, for the bytes it writes to its
// standard output, unaltered (standard error is dropped), handed to sink as
// they arrive. The tool is ended as soon as it has printed more than
// maxBytes, or when sink returns false.
StreamedRun StreamToolOutput(const std::string& program, const std::string& arguments, const std::string& folder,
                             std::uint64_t maxBytes, const OutputSink& sink);

// The tool's standard output as bytes; nothing when it could not run, was
// ended, or printed more than maxBytes.
std::optional<Bytes> ToolOutputBytes(const std::string& program, const std::string& arguments,
                                     const std::string& folder, std::uint64_t maxBytes);

// What one import may cost at most, however hostile the file: tool runs,
// and bytes the program writes into work folders (inner packages). While an
// ImportBudget lives, the innermost one is charged; a run beyond it does not
// start (as a tool that could not be started), a write beyond it is refused.
inline constexpr int kMaxToolRunsPerImport = 64;
inline constexpr std::uint64_t kMaxBytesWrittenPerImport = 3ull << 29;  // 1.5 GiB
class ImportBudget {
 public:
  ImportBudget();
  ~ImportBudget();
  ImportBudget(const ImportBudget&) = delete;
  ImportBudget& operator=(const ImportBudget&) = delete;
  bool spendRun();
  // True once a run or a write was refused for want of budget.
  bool exhausted() const { return exhausted_; }
  // True once the user cancelled the import (CancelImport).
  bool cancelled() const { return cancelled_; }

 private:
  friend bool SpendWrittenBytes(std::uint64_t bytes);
  int runsLeft_ = kMaxToolRunsPerImport;
  std::uint64_t bytesLeft_ = kMaxBytesWrittenPerImport;
  bool exhausted_ = false;
  bool cancelled_ = false;
  friend bool CancelImport();
  friend bool ImportGoesOn();
};

// Ends the innermost import under way: its running tool is ended and no
// further tool starts for it. False when no import is under way.
bool CancelImport();

// For work done in the program itself (unpacking a package): dispatches
// the window's waiting messages now and then, as a tool's wait does, and
// says whether the import under way may go on (not cancelled, the program
// not ending).
bool ImportGoesOn();

// Charges bytes about to be written to the import under way; false when
// they do not fit (always true outside an import).
bool SpendWrittenBytes(std::uint64_t bytes);

// Ends the run of the named tool ("pt.exe") that this program started and is
// still waiting on, if any: a nested run's first step, so the outer run
// gives up. Other programs' processes of that name are never touched.
void EndToolRun(const std::string& name);

// The job every tool runs in; it ends its processes when the program ends.
HANDLE ToolJob();
