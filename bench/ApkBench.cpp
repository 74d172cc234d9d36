// End-to-end ExtractApkIcon against the two bare tool runs it makes
// ("pt dump badging" and "uz -j"), interleaved in the same run.
//   apk_bench PACKAGE ENTRY ROUNDS   (run from a folder holding the tools)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "extract/ApkIcon_win.h"
#include "extract/ConsoleRunner_win.h"
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
    ExtractApkIcon(context, package);
    double t1 = Now();
    RunConsoleCommand("pt dump badging \"" + package + "\"");
    RunConsoleCommand("uz  -j \"" + package + "\" \"" + entry + "\"");
    double t2 = Now();
    DeleteFileA(entry.substr(entry.rfind('/') + 1).c_str());
    if (store.picture().empty()) return 1;
    pipeline.push_back(t1 - t0);
    bare.push_back(t2 - t1);
  }
  std::printf("ExtractApkIcon, median of %d: %8.1f ms\n", rounds, Median(pipeline));
  std::printf("bare pt + uz runs, median:  %8.1f ms\n", Median(bare));
  std::printf("ratio pipeline/bare: %.3f\n", Median(pipeline) / Median(bare));
  return 0;
}
