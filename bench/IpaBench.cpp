// End-to-end ExtractIpaIcon against the bare list and extract runs of the
// 7-Zip console it makes, interleaved in the same run.
//   ipa_bench PACKAGE ENTRY ROUNDS   (run from a folder holding the tools)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "extract/ConsoleRunner_win.h"
#include "extract/IpaIcon_win.h"
#include "output/PictureStore.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string package = argv[1], entry = argv[2];
  const int rounds = std::atoi(argv[3]);
  PictureStore store;
  const PipelineContext context{folder, store};
  std::vector<double> pipeline, bare;
  for (int i = 0; i < rounds; ++i) {
    double t0 = Now();
    ExtractIpaIcon(context, package);
    double t1 = Now();
    const size_t listed = RunConsoleCommand("za l -sccUTF-8 \"" + package + "\"").size();
    RunConsoleCommand("za e -sccUTF-8 -y \"" + package + "\" \"" + entry + "\"");
    double t2 = Now();
    DeleteFileA(entry.substr(entry.rfind('\\') + 1).c_str());
    if (store.picture().empty() || listed == 0) return 1;
    pipeline.push_back(t1 - t0);
    bare.push_back(t2 - t1);
  }
  std::printf("ExtractIpaIcon, median of %d: %8.1f ms\n", rounds, Median(pipeline));
  std::printf("bare za l + za e, median:   %8.1f ms\n", Median(bare));
  std::printf("ratio pipeline/bare: %.3f\n", Median(pipeline) / Median(bare));
  return 0;
}
