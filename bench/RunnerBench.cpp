// The console tool runner capturing a large output, against the command
// interpreter writing the same output to a file, in the same run.
//   runner_bench MEGABYTES ROUNDS   (run in the folder holding emit.exe)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/ConsoleRunner_win.h"

namespace {

double Milliseconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

double RunToFile(const std::string& command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = "cmd.exe /c " + command;
  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) return -1;
  WaitForSingleObject(info.hProcess, INFINITE);
  QueryPerformanceCounter(&t1);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return Milliseconds(t0, t1);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 10;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string program = std::string(folder) + "\\emit.exe";
  const std::string arguments = "bytes " + std::to_string(megabytes << 20);
  std::vector<double> runner, file;
  size_t captured = 0;
  for (int r = 0; r < rounds; ++r) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    captured = RunConsoleCommand(program, arguments).size();
    QueryPerformanceCounter(&t1);
    runner.push_back(Milliseconds(t0, t1));
    file.push_back(RunToFile("emit " + arguments + " > runner-bench.out"));
  }
  DeleteFileA("runner-bench.out");
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("RunConsoleCommand, %lld MB captured (%zu bytes), median of %d: %8.1f ms\n", megabytes, captured, rounds, Median(runner));
  std::printf("cmd /c tool > file, same output,            median of %d: %8.1f ms\n", rounds, Median(file));
  std::printf("ratio runner/file: %.2f\n", Median(runner) / Median(file));
  std::printf("peak working set of the benchmark process: %.1f MB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20));
  return 0;
}
