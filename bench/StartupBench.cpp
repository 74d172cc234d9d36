// Start-up time: from CreateProcess to a visible top-level window of the new
// process, for each program named on the command line, several rounds each,
// interleaved so both see the same machine. Prints the median per program.
//   startup_bench ROUNDS PROGRAM...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search { DWORD pid; bool found; };

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid && IsWindowVisible(window)) { search->found = true; return FALSE; }
  return TRUE;
}

double StartOnce(const std::string& program) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = "\"" + program + "\"";
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return -1;
  Search search{info.dwProcessId, false};
  while (!search.found && WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
  }
  QueryPerformanceCounter(&t1);
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return search.found ? 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int rounds = std::atoi(argv[1]);
  std::vector<std::vector<double>> times(static_cast<size_t>(argc - 2));
  for (int r = 0; r < rounds; ++r) {
    for (int p = 2; p < argc; ++p) times[static_cast<size_t>(p - 2)].push_back(StartOnce(argv[p]));
  }
  std::vector<double> medians;
  for (int p = 2; p < argc; ++p) {
    auto& t = times[static_cast<size_t>(p - 2)];
    std::sort(t.begin(), t.end());
    medians.push_back(t[t.size() / 2]);
    std::printf("start-up to visible window, median of %d: %8.1f ms  %s\n", rounds, medians.back(), argv[p]);
  }
  if (medians.size() == 2 && medians[1] > 0) std::printf("ratio first/second: %.2f\n", medians[0] / medians[1]);
  return 0;
}
