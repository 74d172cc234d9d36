#include "tools/ConsoleRunner_win.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <vector>

#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/CapturedOutput.h"

namespace {

// The default pipe buffer (about 4 KB) makes a tool that prints megabytes
// wait on every timer tick of the poll loop; a large buffer lets it run on.
constexpr DWORD kPipeBufferBytes = 1u << 20;

// Reads whatever the pipe holds right now, up to a few megabytes so that a
// tool printing without pause still leaves the window time to answer, and
// hands it on chunk by chunk. Nothing: it held nothing (or every writer is
// gone); Some: it did; Stop: the receiver wants no more.
enum class ReadResult { Nothing, Some, Stop };
ReadResult ReadAvailable(HANDLE pipe, std::vector<char>& buffer, const OutputSink& sink) {
  constexpr std::size_t kMaxReadPerPoll = 4u << 20;
  ReadResult result = ReadResult::Nothing;
  for (std::size_t readNow = 0; readNow < kMaxReadPerPoll;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return result;
    buffer.resize(std::min<std::size_t>(available, kMaxReadPerPoll));
    DWORD got = 0;
    if (!ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) || got == 0) return result;
    if (!sink({buffer.data(), got})) return ReadResult::Stop;
    result = ReadResult::Some;
    readNow += got;
  }
  return result;
}

bool HasExited(HANDLE process) { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }

// A start that fails for want of resources (seen under Wine on a loaded
// machine: one start in hundreds fails and the next succeeds) is tried
// again, a few times; a program that is missing or cannot run fails at once.
bool StartFailureIsLasting(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_FILENAME_EXCED_RANGE: return true;
    default: return false;
  }
}

// The budgets of the imports under way on this thread, innermost last.
thread_local std::vector<ImportBudget*> gBudgets;

// What the program has committed (the commit charge, which Wine reports
// there and not as PrivateUsage).
std::uint64_t CommittedMemory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PagefileUsage;
}

// How a run ended.
enum class RunEnd { NotStarted, Ended, Stopped };

// Where a tool's output goes: a pipe read as it arrives, with standard error
// on it or dropped (errorsApart); or, when toFile is set, both into that
// file, whose size is watched against fileCap.
struct OutputRoute {
  bool errorsApart = false;
  HANDLE toFile = nullptr;  // inheritable
  std::uint64_t fileCap = 0;
};

// Starts the tool as RunConsoleCommand describes and hands everything it
// prints through a pipe to sink. The tool is ended when sink returns false,
// or when its output file grows beyond the cap.
RunEnd RunTool(const std::string& program, const std::string& arguments, const std::string& folder,
               const OutputRoute& route, const OutputSink& sink) {
  if (!gBudgets.empty() && !gBudgets.back()->spendRun()) return RunEnd::NotStarted;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd, errors;
  const bool errorsApart = route.errorsApart;
  if (route.toFile) {
    // A chatty tool writes to a file at full speed; through a pipe under Wine
    // every read costs a round trip.
  } else if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inheritable, kPipeBufferBytes)) {
    return RunEnd::NotStarted;
  } else {
    // Only the write end belongs in the child.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  }
  if (errorsApart) {
    const HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                   OPEN_EXISTING, 0, nullptr);
    if (nul != INVALID_HANDLE_VALUE) errors.reset(nul);
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = route.toFile ? route.toFile : writeEnd.get();
  startup.hStdError = errorsApart ? errors.get() : startup.hStdOutput;

  // The program is named by its full path and started directly: no search
  // of the program's folder, the current folder or PATH for it, and no
  // command interpreter to resolve names through PATHEXT or expand %NAME%.
  // The C runtime of the tool takes the first word as its own name.
  std::string line = "\"" + program + "\" " + arguments;
  PROCESS_INFORMATION info{};
  // No console window at all: where the default terminal is Windows
  // Terminal a hidden start is not always honoured. Started suspended, so
  // it is in the job before it runs a single instruction.
  constexpr int kStartAttempts = 4;
  BOOL started = FALSE;
  for (int attempt = 0; attempt < kStartAttempts && !started; ++attempt) {
    if (attempt > 0) {
      if (StartFailureIsLasting(GetLastError())) break;
      Sleep(50);
      if (!ImportGoesOn()) break;
    }
    started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                             nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  }
  // Closed here so that the pipe reports its end once the child and its
  // descendants are gone.
  writeEnd.reset();
  errors.reset();
  if (!started) return RunEnd::NotStarted;
  UniqueHandle process(info.hProcess), thread(info.hThread);
  if (HANDLE job = ToolJob()) AssignProcessToJobObject(job, process.get());
  ResumeThread(thread.get());

  if (route.toFile) {
    while (!HasExited(process.get())) {
      LARGE_INTEGER size{};
      if (GetFileSizeEx(route.toFile, &size) && std::uint64_t(size.QuadPart) > route.fileCap) {
        TerminateProcess(process.get(), 1);
        return RunEnd::Stopped;
      }
      WaitForSingleObject(process.get(), 1);
      if (!ImportGoesOn()) {
        TerminateProcess(process.get(), 1);
        return RunEnd::Stopped;
      }
    }
    return RunEnd::Ended;
  }

  std::vector<char> buffer;
  for (bool exited = false;;) {
    const ReadResult result = ReadAvailable(readEnd.get(), buffer, sink);
    if (result == ReadResult::Stop) {
      TerminateProcess(process.get(), 1);
      return RunEnd::Stopped;
    }
    const bool read = result == ReadResult::Some;
    if (!read) {
      // The pipe was empty. After the exit has been seen, one more empty
      // pass means everything the tool wrote has been read.
      if (exited) break;
      exited = HasExited(process.get());
      if (exited) continue;
    }
    if (!read) WaitForSingleObject(process.get(), 1);
    if (!ImportGoesOn()) {
      // Cancelled, or the window is gone: the tool's result is of no use.
      TerminateProcess(process.get(), 1);
      return RunEnd::Stopped;
    }
  }
  return RunEnd::Ended;
}

}  // namespace

HANDLE ToolJob() {
  // One job for the life of the process; its handle closes when the process
  // ends, and with it every tool still running.
  static const HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    if (!created) return created;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    // No tool may take more than kMaxToolMemory, however hostile its input:
    // an allocation beyond it fails in the tool, which then ends.
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = kMaxToolMemory;
    SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return created;
  }();
  return job;
}

std::string RunConsoleCommand(const std::string& program, const std::string& arguments, const std::string& folder) {
  std::string output;
  const RunEnd end = RunTool(program, arguments, folder, {}, [&output](std::span<const char> chunk) {
    AppendCapturedChunk(output, chunk);
    return true;
  });
  return end == RunEnd::Ended ? output : std::string();
}

std::string RunConsoleCommandThroughFile(const std::string& program, const std::string& arguments,
                                        const std::string& folder, const std::string& outputPath) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle file = OpenFileAt(outputPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY, &inheritable);
  if (!file.valid()) return {};
  const RunEnd end =
      RunTool(program, arguments, folder, {.toFile = file.get(), .fileCap = kMaxCapturedOutput}, [](auto) { return true; });
  std::string output;
  if (end != RunEnd::Ended || SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return {};
  std::vector<char> buffer(1u << 20);
  for (DWORD got = 0; ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &got, nullptr) && got > 0;) {
    AppendCapturedChunk(output, {buffer.data(), got});
  }
  return output;
}

StreamedRun StreamToolOutput(const std::string& program, const std::string& arguments, const std::string& folder,
                             std::uint64_t maxBytes, const OutputSink& sink) {
  StreamedRun run;
  const RunEnd end = RunTool(program, arguments, folder, {.errorsApart = true}, [&](std::span<const char> chunk) {
    if (chunk.size() > maxBytes - run.bytes) {
      run.overflowed = true;
      return false;
    }
    run.bytes += chunk.size();
    return sink(chunk);
  });
  run.complete = end == RunEnd::Ended;
  return run;
}

std::optional<Bytes> ToolOutputBytes(const std::string& program, const std::string& arguments,
                                     const std::string& folder, std::uint64_t maxBytes) {
  Bytes bytes;
  const StreamedRun run = StreamToolOutput(program, arguments, folder, maxBytes, [&bytes](std::span<const char> chunk) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    return true;
  });
  if (!run.complete) return std::nullopt;
  return bytes;
}

ImportBudget::ImportBudget(const std::atomic<bool>* cancel) : cancel_(cancel), memoryAtStart_(CommittedMemory()) {
  gBudgets.push_back(this);
}
ImportBudget::~ImportBudget() { gBudgets.pop_back(); }

bool ImportBudget::spendRun() {
  if (cancelled()) return false;
  if (runsLeft_ == 0) return !(exhausted_ = true);
  --runsLeft_;
  return true;
}

bool SpendWrittenBytes(std::uint64_t bytes) {
  if (gBudgets.empty()) return true;
  ImportBudget& budget = *gBudgets.back();
  if (bytes > budget.bytesLeft_) return !(budget.exhausted_ = true);
  budget.bytesLeft_ -= bytes;
  return true;
}

bool ImportBudget::memoryHolds() {
  if (memoryExceeded_) return false;
  const std::uint64_t now = GetTickCount64();
  if (now - lastMemoryLook_ < 5) return true;
  lastMemoryLook_ = now;
  const std::uint64_t committed = CommittedMemory();
  if (committed > memoryAtStart_ && committed - memoryAtStart_ > kMaxImportMemory) {
    memoryExceeded_ = exhausted_ = true;
  }
  return !memoryExceeded_;
}

bool ImportGoesOn() {
  if (gBudgets.empty()) return true;
  ImportBudget& budget = *gBudgets.back();
  return !budget.cancelled() && budget.memoryHolds();
}
