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
#include "tools/ConsoleRunner_win.h"
#include "tools/WorkFolder_win.h"

namespace {

constexpr int kMaxFolderDepth = 32;

// Full, without a trailing separator (but for a drive's root).
std::string FullPath(const std::string& path) {
  std::string full = FullPathOf(path);
  while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
  return full;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// The files of a folder and its folders, known kinds only, names sorted in
// each folder; the output folder and what is under it left out, links and
// junctions never followed.
void Enumerate(const std::string& folder, const std::string& skip, int depth, std::vector<std::string>& files) {
  if (depth > kMaxFolderDepth || FoldedName(folder) == skip) return;
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

// True when the folder exists (made now if need be) and takes a new file.
bool PrepareOutputFolder(const std::string& folder) {
  const std::wstring wide = ExtendedLengthPath(folder);
  if (wide.empty()) return false;
  CreateDirectoryW(wide.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  const std::string probe = folder + "\\~tessaroo-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  if (!OpenFileAt(probe, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE).valid()) {
    return false;
  }
  return true;
}

struct Job {
  std::string input, output;
  BatchResult result;
};

// Runs one child tessaroo-cli for the job; what it says on standard error
// goes to a file in the work folder (a pipe would be inherited by the other
// children started meanwhile, and never close).
void RunChild(const std::wstring& program, const BatchOptions& options, const WorkFolder& work, std::size_t index,
              Job& job, std::mutex& starting) {
  const auto start = std::chrono::steady_clock::now();
  std::wstring line = L"\"" + program + L"\" ";
  if (options.drawSide) line += L"--size " + std::to_wstring(options.drawSide) + L" ";
  line += L"\"" + WideFromAnsi(job.input) + L"\" \"" + WideFromAnsi(job.output) + L"\"";
  const std::string errors = work.file("job-" + std::to_string(index) + ".txt");
  DWORD exitCode = 2;
  {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle file = OpenFileAt(errors, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, &inheritable);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = startup.hStdError = file.get();
    PROCESS_INFORMATION process{};
    BOOL started = FALSE;
    {
      const std::lock_guard<std::mutex> lock(starting);
      started = file.valid() && CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                               CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    }
    file = UniqueHandle();
    if (started) {
      const UniqueHandle child(process.hProcess), thread(process.hThread);
      AssignProcessToJobObject(ToolJob(), process.hProcess);
      ResumeThread(process.hThread);
      WaitForSingleObject(process.hProcess, INFINITE);
      GetExitCodeProcess(process.hProcess, &exitCode);
    }
  }
  const Bytes said = ReadWholeFile(errors, 1u << 16);
  DeleteFileAt(errors);
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
  const std::string text(said.begin(), said.end());
  const std::size_t colon = text.find(':');
  r.reason = exitCode == 1 && colon != std::string::npos && colon < 32 ? text.substr(0, colon)
             : exitCode == 3                                         ? "unwritable"
                                                                     : "failed";
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
    const std::string full = FullPath(input);
    const DWORD attributes = full.empty() ? INVALID_FILE_ATTRIBUTES : FileAttributesAt(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) Enumerate(full, FoldedName(outDir), 0, files);
    } else {
      files.push_back(full.empty() ? input : full);  // a missing file is reported as unreadable
    }
  }
  std::vector<std::string> names;
  for (const std::string& file : files) names.push_back(FileNameOf(file));
  const std::vector<std::string> outputs = BatchOutputNames(names);
  std::vector<Job> jobs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) jobs[i].input = files[i], jobs[i].output = outDir + "\\" + outputs[i];

  const std::string runDirectory = RunDirectory();
  PrepareRunDirectory(runDirectory);  // the tools, written once for every child
  const WorkFolder work(runDirectory);
  wchar_t program[32768];
  const DWORD length = GetModuleFileNameW(nullptr, program, 32768);
  if (length == 0 || length >= 32768 || work.path().empty()) return 3;

  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(options.jobs > 0 ? unsigned(options.jobs) : processors, std::max<std::size_t>(jobs.size(), 1));
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
  for (;;) {
    std::unique_lock<std::mutex> guard(lock);
    finished.wait(guard, [&] { return done > shown; });
    for (; shown < done; ++shown) {
      const Job& job = jobs[order[shown]];
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
      if (terminal) {
        std::string line = BatchProgressLine(shown + 1, jobs.size(), (shown + 1) / std::max(seconds, 0.001), FileNameOf(job.input));
        line.resize(79, ' ');
        std::printf("\r%s", line.c_str());
      } else {
        std::printf("%zu/%zu %s: %s\n", shown + 1, jobs.size(), job.input.c_str(),
                    job.result.output.empty() ? job.result.reason.c_str() : job.output.c_str());
      }
      std::fflush(stdout);
    }
    if (done == jobs.size()) break;
  }
  for (std::thread& t : threads) t.join();

  std::vector<BatchResult> results;
  std::map<std::string, int> reasons;
  for (const Job& job : jobs) {
    results.push_back(job.result);
    if (job.result.output.empty()) ++reasons[job.result.reason];
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
  const std::size_t without = std::size_t(std::count_if(jobs.begin(), jobs.end(), [](const Job& j) { return j.result.output.empty(); }));
  std::string summary;
  for (const auto& [reason, count] : reasons) summary += (summary.empty() ? " (" : ", ") + reason + " " + std::to_string(count);
  if (!summary.empty()) summary += ")";
  const std::size_t icons = jobs.size() - without;
  std::printf("%s%zu input%s: %zu icon%s, %zu without%s, in %.1f s\n", terminal ? "\n" : "", jobs.size(),
              jobs.size() == 1 ? "" : "s", icons, icons == 1 ? "" : "s", without, summary.c_str(), seconds);
  if (!options.reportPath.empty()) {
    const std::string json = BatchReportJson(results);
    if (!WriteFileAtomically(FullPath(options.reportPath), ByteSpan(reinterpret_cast<const std::uint8_t*>(json.data()), json.size()))) {
      std::fprintf(stderr, "tessaroo-cli: cannot write the report %s\n", options.reportPath.c_str());
      return 3;
    }
  }
  return without == 0 ? 0 : 1;
}
