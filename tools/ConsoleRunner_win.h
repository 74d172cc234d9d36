#pragma once
// Runs the helper tools as hidden console processes and captures what they
// print. Imports run on a thread of their own (app/ImportWorker_win.h), so
// the runner simply waits; it ends the tool as soon as the import is
// cancelled.
#include <windows.h>

#include <atomic>
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
// runs in the program's job, so none outlives the program nor takes more
// than kMaxToolMemory. Once the import under way on this thread is
// cancelled, the tool is ended and the runner returns; after that no tool
// starts for it.
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
// ImportBudget lives, the innermost one of its thread is charged; a run
// beyond it does not start (as a tool that could not be started), a write
// beyond it is refused.
inline constexpr int kMaxToolRunsPerImport = 64;
inline constexpr std::uint64_t kMaxBytesWrittenPerImport = 3ull << 29;  // 1.5 GiB
// Memory any one tool may commit.
inline constexpr std::uint64_t kMaxToolMemory = 1ull << 30;
// Memory the program's own work for one import may commit, beyond what the
// program held when the import began.
inline constexpr std::uint64_t kMaxImportMemory = 512ull << 20;
class ImportBudget {
 public:
  // cancel: set (from any thread) when the import is to end; may be null.
  explicit ImportBudget(const std::atomic<bool>* cancel = nullptr);
  ~ImportBudget();
  ImportBudget(const ImportBudget&) = delete;
  ImportBudget& operator=(const ImportBudget&) = delete;
  bool spendRun();
  // Whether the program's memory is still within kMaxImportMemory of
  // where it stood when the import began; looked at most every few
  // milliseconds. Once it is not, the budget is exhausted.
  bool memoryHolds();
  // True once a run, a write or memory was refused for want of budget.
  bool exhausted() const { return exhausted_; }
  // True once the import was cancelled.
  bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

 private:
  friend bool SpendWrittenBytes(std::uint64_t bytes);
  const std::atomic<bool>* cancel_;
  std::uint64_t memoryAtStart_;
  std::uint64_t lastMemoryLook_ = 0;
  int runsLeft_ = kMaxToolRunsPerImport;
  std::uint64_t bytesLeft_ = kMaxBytesWrittenPerImport;
  bool exhausted_ = false;
  bool memoryExceeded_ = false;
};

// For long work done in the program itself (unpacking, drawing): whether
// the import under way on this thread may go on (it was not cancelled, and
// its memory budget holds).
bool ImportGoesOn();

// Charges bytes about to be written to the import under way; false when
// they do not fit (always true outside an import).
bool SpendWrittenBytes(std::uint64_t bytes);

// The job every tool runs in; it ends its processes when the program ends.
HANDLE ToolJob();
