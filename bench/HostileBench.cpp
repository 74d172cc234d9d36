// Hostile files through tessaroo-cli, each once: wall time, peak memory of
// the program and of its helper tools, and tool runs, with ratios to what
// an import may take (5 s, 512 MiB for the program, 1 GiB for a tool).
// Figures only: no row passes or fails.
//   hostile_bench CLI FOLDER TIMEOUT_S [NAME-FILTER]
// FOLDER holds the files and rows.tsv (make_hostile.py). Each run is
// started in a job of its own; the tools run in the program's job, nested
// inside it. Wine 8 keeps a job's process list and its count of processes,
// but leaves its peaks (JOBOBJECT_EXTENDED_LIMIT_INFORMATION) and its I/O
// counts at zero, and gives no I/O counts per process: the peaks here are
// each process's peak working set, sampled every 10 ms while it runs, and
// the job's own figures are printed only where the system keeps them.
// Under Wine memory that is allocated and never touched (7-Zip's table for
// a volume that claims more than it holds) does not show.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "support/ScopedWin_win.h"

namespace {

constexpr double kSecondsPerImport = 5.0;
constexpr double kProgramMiB = 512.0, kToolMiB = 1024.0;

struct Row {
  std::string file, what;
};

std::vector<Row> ReadRows(const std::string& folder) {
  std::vector<Row> rows;
  std::ifstream in(folder + "\\rows.tsv");
  for (std::string line; std::getline(in, line);) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) rows.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return rows;
}

struct Figures {
  double seconds = 0;
  bool timedOut = false;
  DWORD exitCode = 0;
  std::uint64_t programPeak = 0, toolPeak = 0;  // peak working sets, sampled
  std::size_t toolRuns = 0;                       // tool processes seen
  std::uint64_t jobProcessPeak = 0, jobPeak = 0;  // as the job keeps them
  std::uint64_t written = 0;
  std::string said;  // the program's first line on standard error
};

double MiB(std::uint64_t bytes) { return double(bytes) / (1 << 20); }

// The program's file name, lower case; empty while the system cannot say
// (a process just started, or gone).
std::string ImageName(HANDLE process) {
  char name[MAX_PATH] = "";
  if (!GetModuleBaseNameA(process, nullptr, name, MAX_PATH)) return {};
  std::string lower(name);
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Each process of the job, opened when first seen and kept open, and the
// largest working set each showed. Under Wine a process's counters are read
// from the host while it runs, so sampling stops at its end.
class PeakSampler {
 public:
  explicit PeakSampler(HANDLE job) : job_(job) {}
  PeakSampler(const PeakSampler&) = delete;
  PeakSampler& operator=(const PeakSampler&) = delete;

  // The peaks so far: the program's, and the largest of its tools', and the
  // tools seen. Wine gives console programs console hosts, started in the
  // job; some end before the system can name them. Neither counts.
  void sample(DWORD programId, Figures& f) {
    sample();
    f.toolRuns = 0;
    for (const auto& [id, seen] : seen_) {
      if (seen.name.empty() || seen.name == "conhost.exe") continue;
      std::uint64_t& peak = id == programId ? f.programPeak : f.toolPeak;
      peak = std::max(peak, seen.peak);
      f.toolRuns += id != programId;
    }
  }

 private:
  void sample() {
    struct {
      JOBOBJECT_BASIC_PROCESS_ID_LIST list;
      ULONG_PTR more[255];
    } ids{};
    if (QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) {
      for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
        const DWORD id = DWORD(ids.list.ProcessIdList[i]);
        if (seen_.count(id)) continue;
        UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (process) seen_[id] = {std::move(process), 0, {}};
      }
    }
    for (auto& [id, seen] : seen_) {
      if (seen.name.empty()) seen.name = ImageName(seen.process.get());
      PROCESS_MEMORY_COUNTERS counters{};
      if (GetProcessMemoryInfo(seen.process.get(), &counters, sizeof counters))
        seen.peak = std::max<std::uint64_t>(seen.peak, counters.PeakWorkingSetSize);
    }
  }
  struct Seen {
    UniqueHandle process;
    std::uint64_t peak;
    std::string name;
  };
  HANDLE job_;
  std::map<DWORD, Seen> seen_;
};

// The first line of a file (what the program said on standard error).
std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

Figures RunOne(const std::string& cli, const std::string& input, const std::string& output, double timeout) {
  Figures f;
  const UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const std::string errors = output + ".stderr";
  UniqueHandle errorFile(CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = errorFile.get();
  PROCESS_INFORMATION info{};
  std::string line = "\"" + cli + "\" \"" + input + "\" \"" + output + "\"";
  DeleteFileA(output.c_str());
  const double start = NowMs();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info)) {
    f.exitCode = DWORD(-1);
    return f;
  }
  const UniqueHandle process(info.hProcess), thread(info.hThread);
  AssignProcessToJobObject(job.get(), process.get());
  ResumeThread(thread.get());
  {
    PeakSampler sampler(job.get());
    while (WaitForSingleObject(process.get(), 10) == WAIT_TIMEOUT) {
      sampler.sample(info.dwProcessId, f);
      if (NowMs() - start > timeout * 1000) {
        f.timedOut = true;
        TerminateJobObject(job.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
        break;
      }
    }
    f.seconds = (NowMs() - start) / 1000;
    sampler.sample(info.dwProcessId, f);
  }
  GetExitCodeProcess(process.get(), &f.exitCode);

  JOBOBJECT_EXTENDED_LIMIT_INFORMATION extended{};
  if (QueryInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &extended, sizeof extended, nullptr)) {
    f.jobProcessPeak = extended.PeakProcessMemoryUsed;
    f.jobPeak = extended.PeakJobMemoryUsed;
  }
  JOBOBJECT_BASIC_AND_IO_ACCOUNTING_INFORMATION accounting{};
  if (QueryInformationJobObject(job.get(), JobObjectBasicAndIoAccountingInformation, &accounting, sizeof accounting, nullptr))
    f.written = accounting.IoInfo.WriteTransferCount;
  errorFile.reset();
  f.said = FirstLine(errors);
  DeleteFileA(errors.c_str());
  DeleteFileA(output.c_str());
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string cli = argv[1], folder = argv[2];
  const double timeout = std::atof(argv[3]);
  const std::string filter = argc > 4 ? argv[4] : "";
  std::printf("%-50s %8s %6s %13s %13s %5s  %s\n", "file", "time", "/5 s", "program MiB", "tool MiB", "runs",
              "outcome");
  for (const Row& row : ReadRows(folder)) {
    if (!filter.empty() && row.file.find(filter) == std::string::npos) continue;
    const Figures f = RunOne(cli, folder + "\\" + row.file, folder + "\\bench-out.png", timeout);
    char time[32];
    if (f.timedOut) std::snprintf(time, sizeof time, "> %.0f s", timeout);
    else std::snprintf(time, sizeof time, "%.1f s", f.seconds);
    const std::string outcome = f.timedOut ? "(ended)" : f.exitCode == 0 ? "icon" : f.said.substr(0, f.said.find(':'));
    std::printf("%-50s %8s %6.2f %6.0f (%4.2f) %6.0f (%4.2f) %5zu  %s\n", row.what.c_str(), time,
                f.seconds / kSecondsPerImport, MiB(f.programPeak), MiB(f.programPeak) / kProgramMiB, MiB(f.toolPeak),
                MiB(f.toolPeak) / kToolMiB, f.toolRuns, outcome.c_str());
    if (f.jobProcessPeak || f.jobPeak || f.written)
      std::printf("    the job's own figures: peaks of %.0f MiB in one process, %.0f MiB in all; %.0f MB written\n",
                  MiB(f.jobProcessPeak), MiB(f.jobPeak), double(f.written) / 1e6);
    std::fflush(stdout);
  }
  std::printf("(time / 5 s; program / 512 MiB; tool: the largest tool / 1 GiB; runs: tools started; peaks are working sets)\n");
  return 0;
}
