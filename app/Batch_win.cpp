#include "app/Batch_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "app/BatchPlan.h"
#include "app/Routes_win.h"
#include "app/RunDirectory_win.h"
#include "image/ImageFormat.h"
#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/IconReason.h"
#include "tools/WorkFolder_win.h"

namespace {

constexpr int kMaxFolderDepth = 32;

// Full, without a trailing separator (but for a drive's root).
std::string FullPath(const std::string& path) {
  std::string full = FullPathOf(path);
  while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
  return full;
}

// The files of a folder and its folders, known kinds only, names sorted in
// each folder; the output folder (by identity, whatever spelling named it)
// and what is under it left out, links and junctions never followed.
void Enumerate(const std::string& folder, const std::string& skip, int depth, std::vector<std::string>& files) {
  if (depth > kMaxFolderDepth || IsSameFile(folder, skip)) return;
  std::vector<std::pair<std::string, DWORD>> found;
  for (WideFolderEntries entries(ExtendedLengthPath(folder) + L"\\*"); entries.valid(); entries.next()) {
    found.emplace_back(CodePageFromWide(entries.name(), CP_ACP), entries.attributes());
  }
  std::sort(found.begin(), found.end());
  for (const auto& [name, attributes] : found) {
    const std::string path = folder + "\\" + name;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      Enumerate(path, skip, depth + 1, files);
    } else if (RouteByPath(path, InputRoutes(), SystemLeadByte)) {
      files.push_back(path);
    }
  }
}

// True when the folder exists and takes a new file now.
bool FolderTakesNewFile(const std::string& folder) {
  const DWORD attributes = FileAttributesAt(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  const std::string probe = folder + "\\~tessaroo-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  return OpenFileAt(probe, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE).valid();
}

// True when the folder exists (made now if need be) and takes a new file.
bool PrepareOutputFolder(const std::string& folder) {
  const std::wstring wide = ExtendedLengthPath(folder);
  if (wide.empty()) return false;
  CreateDirectoryW(wide.c_str(), nullptr);
  return FolderTakesNewFile(folder);
}

struct Job {
  std::string input, output;
  std::vector<std::string> companions;  // the batch's other Linux packages, for a Linux package
  BatchResult result;
};

// Linux packages of one batch find an application's icon in its data
// package: each is given the others (this many at most).
constexpr std::size_t kMaxCompanions = 16;
constexpr std::string_view kDataOnly = WordsOf(IconReason::DataOnly).id;
bool IsLinuxPackage(const std::string& path) {
  const std::string_view extension = FileNameExtension(path, SystemLeadByte);
  return EqualsIgnoringAsciiCase(extension, ".deb") || EqualsIgnoringAsciiCase(extension, ".rpm");
}

// What a child said on standard error: at most this much is kept.
constexpr DWORD kMaxChildMessage = 1u << 16;

// Runs one child tessaroo-cli for the job. What it says on standard error
// goes to a file in the work folder (a pipe would be inherited by the other
// children started meanwhile, and never close). The file is deleted when its
// last handle closes, so it never outlives this process, even one ended from
// outside; the child gets an inheritable copy of the handle, made, passed and
// closed under the lock, so no other child inherits it.
void RunChild(const std::wstring& program, const BatchOptions& options, const WorkFolder& work, std::size_t index,
              Job& job, std::mutex& starting) {
  const auto start = std::chrono::steady_clock::now();
  std::wstring line = L"\"" + program + L"\" ";
  if (options.drawSide) line += L"--size " + std::to_wstring(options.drawSide) + L" ";
  for (const std::string& companion : job.companions) line += L"--with \"" + WideFromAnsi(companion) + L"\" ";
  line += L"\"" + WideFromAnsi(job.input) + L"\" \"" + WideFromAnsi(job.output) + L"\"";
  const UniqueHandle said = OpenFileAt(work.file("job-" + std::to_string(index) + ".txt"), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
  DWORD exitCode = 2;
  PROCESS_INFORMATION process{};
  BOOL started = FALSE;
  {
    const std::lock_guard<std::mutex> lock(starting);
    HANDLE inheritable = nullptr;
    if (said && DuplicateHandle(GetCurrentProcess(), said.get(), GetCurrentProcess(), &inheritable, 0, TRUE,
                                DUPLICATE_SAME_ACCESS)) {
      const UniqueHandle childEnd(inheritable);
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = nullptr;
      startup.hStdOutput = startup.hStdError = childEnd.get();
      started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &process);
    }
  }
  if (started) {
    const UniqueHandle child(process.hProcess), thread(process.hThread);
    AssignProcessToJobObject(ToolJob(), process.hProcess);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
  }
  std::string text(kMaxChildMessage, '\0');
  DWORD got = 0;
  // The child's writes moved the shared file pointer: read from the start.
  if (!said || SetFilePointer(said.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !ReadFile(said.get(), text.data(), kMaxChildMessage, &got, nullptr)) {
    got = 0;
  }
  text.resize(got);
  BatchResult& r = job.result;
  r.path = Utf8FromWide(WideFromAnsi(job.input));
  r.milliseconds = std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
  if (exitCode == 0) {
    const ImageSize size = ProbeImageSize(ReadFileStart(job.output, 64));
    r.output = Utf8FromWide(WideFromAnsi(job.output));
    r.width = size.width, r.height = size.height;
    return;
  }
  // The child's reason: "no-icon: No icon in this file".
  const std::size_t colon = text.find(':');
  r.reason = exitCode == 1 && colon != std::string::npos && colon < 32 ? text.substr(0, colon)
             : exitCode == 3                                         ? "unwritable"
                                                                     : "failed";
}

// Why the report may not go where it was asked, or empty: it would replace
// an input, or one of the outputs the batch is about to write.
std::string ReportClash(const std::string& report, const std::vector<std::string>& inputs, const std::string& outDir,
                        const std::vector<std::string>& outputNames) {
  for (const std::string& input : inputs) {
    if (IsSameFile(report, input)) return "the report would replace the input " + input;
  }
  if (IsSameFile(FolderOf(report), outDir)) {
    const std::string name = SystemFoldedName(FileNameOf(report, SystemLeadByte));
    for (const std::string& output : outputNames) {
      if (SystemFoldedName(output) == name) return "the report would replace the output " + output;
    }
  }
  return {};
}

bool IsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace

int RunBatch(const BatchOptions& options) {
  const std::string outDir = FullPath(options.outDir);
  if (outDir.empty() || !PrepareOutputFolder(outDir)) {
    std::fprintf(stderr, "tessaroo-cli: cannot write to %s\n", options.outDir.c_str());
    return 3;
  }
  // Every input found before anything is written.
  std::vector<std::string> files;
  for (const std::string& input : options.inputs) {
    // Made full, "game.png." would be read as "game.png": such a name goes to
    // its child as given, which refuses it.
    const std::string full = EndsInDotOrSpace(input) ? std::string() : FullPath(input);
    const DWORD attributes = full.empty() ? INVALID_FILE_ATTRIBUTES : FileAttributesAt(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) Enumerate(full, outDir, 0, files);
    } else {
      files.push_back(full.empty() ? input : full);  // a missing file is reported as unreadable
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "tessaroo-cli: no input of a known kind found\n");
    return 1;
  }
  std::vector<std::string> names;
  for (const std::string& file : files) names.emplace_back(FileNameOf(file, SystemLeadByte));
  const std::vector<std::string> outputs = BatchOutputNames(names, SystemFoldedName);
  std::string reportPath;
  if (!options.reportPath.empty()) {
    reportPath = FullPath(options.reportPath);
    const std::string clash = reportPath.empty() ? std::string() : ReportClash(reportPath, files, outDir, outputs);
    if (!clash.empty()) {
      std::fprintf(stderr, "tessaroo-cli: %s\n", clash.c_str());
      return 2;
    }
    if (reportPath.empty() || EndsInDotOrSpace(options.reportPath) || !FolderTakesNewFile(FolderOf(reportPath))) {
      std::fprintf(stderr, "tessaroo-cli: cannot write the report %s\n", options.reportPath.c_str());
      return 3;
    }
  }
  std::vector<Job> jobs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) jobs[i].input = files[i], jobs[i].output = outDir + "\\" + outputs[i];
  std::vector<std::string> packages;
  for (const std::string& file : files) {
    if (IsLinuxPackage(file)) packages.push_back(file);
  }
  for (Job& job : jobs) {
    if (!IsLinuxPackage(job.input)) continue;
    for (const std::string& package : packages) {
      if (package != job.input && job.companions.size() < kMaxCompanions) job.companions.push_back(package);
    }
  }

  const std::string runDirectory = RunDirectory();
  PrepareRunDirectory(runDirectory);  // the tools, written once for every child
  // The batch joins the job its children go to, so each child is in it from
  // its creation: a batch ended from outside between starting a child
  // (suspended) and handing it to the job would leave that child behind,
  // suspended for ever and holding its message file. The job ends them all
  // when its last handle, the batch's, closes.
  AssignProcessToJobObject(ToolJob(), GetCurrentProcess());
  const WorkFolder work(runDirectory);
  wchar_t program[32768];
  const DWORD length = GetModuleFileNameW(nullptr, program, 32768);
  if (length == 0 || length >= 32768 || work.path().empty()) return 3;

  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(options.jobs > 0 ? unsigned(options.jobs) : processors, jobs.size());
  std::atomic<std::size_t> next{0};
  std::mutex lock, starting;
  std::condition_variable finished;
  std::size_t done = 0;
  std::vector<std::size_t> order;  // jobs in the order they finished
  std::vector<std::thread> threads;
  const auto begun = std::chrono::steady_clock::now();
  for (std::size_t w = 0; w < workers; ++w) {
    threads.emplace_back([&] {
      for (std::size_t i; (i = next++) < jobs.size();) {
        RunChild(program, options, work, i, jobs[i], starting);
        const std::lock_guard<std::mutex> guard(lock);
        ++done;
        order.push_back(i);
        finished.notify_one();
      }
    });
  }
  const bool terminal = IsTerminal();
  std::size_t shown = 0;
  while (shown < jobs.size()) {
    std::unique_lock<std::mutex> guard(lock);
    finished.wait(guard, [&] { return done > shown; });
    for (; shown < done; ++shown) {
      const Job& job = jobs[order[shown]];
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
      if (terminal) {
        std::string line = BatchProgressLine(shown + 1, jobs.size(), (shown + 1) / std::max(seconds, 0.001), FileNameOf(job.input, SystemLeadByte));
        line.resize(79, ' ');
        std::printf("\r%s", line.c_str());
      } else {
        std::printf("%zu/%zu %s: %s\n", shown + 1, jobs.size(), job.input.c_str(),
                    job.result.output.empty() ? job.result.reason.c_str() : job.output.c_str());
      }
      std::fflush(stdout);
    }
  }
  for (std::thread& t : threads) t.join();

  std::vector<BatchResult> results;
  std::map<std::string, int> reasons;
  // A data package whose application came in the same batch gives no
  // output of its own, and is no failure.
  const auto failed = [](const Job& j) { return j.result.output.empty() && j.result.reason != kDataOnly; };
  for (const Job& job : jobs) {
    results.push_back(job.result);
    if (failed(job)) ++reasons[job.result.reason];
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
  const std::size_t dataOnly = std::size_t(std::count_if(jobs.begin(), jobs.end(), [](const Job& j) { return j.result.reason == kDataOnly; }));
  const std::size_t without = std::size_t(std::count_if(jobs.begin(), jobs.end(), failed));
  std::string summary;
  for (const auto& [reason, count] : reasons) summary += (summary.empty() ? " (" : ", ") + reason + " " + std::to_string(count);
  if (!summary.empty()) summary += ")";
  const std::size_t icons = jobs.size() - without - dataOnly;
  if (terminal) {
    // The progress line named only the last input: every one without an
    // icon is listed now, in input order.
    std::printf("\n");
    for (const Job& job : jobs) {
      if (failed(job)) std::printf("  %s: %s\n", job.input.c_str(), job.result.reason.c_str());
    }
  }
  const std::string data = dataOnly ? ", " + std::to_string(dataOnly) + " data only" : std::string();
  std::printf("%zu input%s: %zu icon%s%s, %zu without%s, in %.1f s\n", jobs.size(), jobs.size() == 1 ? "" : "s", icons,
              icons == 1 ? "" : "s", data.c_str(), without, summary.c_str(), seconds);
  if (!reportPath.empty()) {
    const std::string json = BatchReportJson(results);
    if (!WriteFileAtomically(reportPath, ByteSpan(reinterpret_cast<const std::uint8_t*>(json.data()), json.size()))) {
      std::fprintf(stderr, "tessaroo-cli: cannot write the report %s\n", options.reportPath.c_str());
      return 3;
    }
  }
  return without == 0 ? 0 : 1;
}
