// Whole processes from start to exit: each command line several rounds,
// interleaved so all see the same machine; the median of each, and each
// one's ratio to the last.
//   process_bench ROUNDS COMMAND_LINE...
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"

namespace {

double RunOnce(std::string line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = NowMs();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double end = NowMs();
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return end - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int rounds = std::atoi(argv[1]);
  std::vector<std::vector<double>> times(static_cast<std::size_t>(argc - 2));
  for (int r = 0; r < rounds; ++r) {
    for (int c = 2; c < argc; ++c) times[static_cast<std::size_t>(c - 2)].push_back(RunOnce(argv[c]));
  }
  const double last = Median(times.back());
  for (int c = 2; c < argc; ++c) {
    const double median = Median(times[static_cast<std::size_t>(c - 2)]);
    std::printf("median of %d: %8.1f ms  (%.2fx the last)  %s\n", rounds, median, median / last, argv[c]);
  }
  return 0;
}
