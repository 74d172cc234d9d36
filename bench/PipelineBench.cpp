// End-to-end ExtractApkIcon or ExtractIpaIcon against the bare tool runs the
// pipeline makes, interleaved in the same run.
//   pipeline_bench apk|ipa PACKAGE ENTRY ROUNDS   (run from a folder holding the tools)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "android/ApkIcon_win.h"
#include "bench/BenchTiming.h"
#include "ios/IpaIcon_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string kind = argv[1], package = argv[2], entry = argv[3];
  const std::string quoted = "\"" + package + "\"";
  const bool apk = kind == "apk";
  const int rounds = std::atoi(argv[4]);
  const PipelineContext context{folder, {}};
  std::vector<double> pipeline, bare;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = NowMs();
    const Bytes icon = apk ? ExtractApkIcon(context, package) : ExtractIpaIcon(context, package);
    const double t1 = NowMs();
    if (apk) {
      RunConsoleCommand(context.toolPath(kPackagingTool), "dump badging " + quoted);
      RunConsoleCommand(context.toolPath(kUnzipTool), "-n -j " + quoted + " \"" + entry + "\"");
    } else {
      RunConsoleCommand(context.toolPath(kArchiveTool), "l -slt -sccUTF-8 " + quoted);
      RunConsoleCommand(context.toolPath(kArchiveTool), "e -sccUTF-8 -y " + quoted + " \"" + entry + "\"");
    }
    const double t2 = NowMs();
    DeleteFileA(entry.substr(entry.find_last_of("/\\") + 1).c_str());
    if (icon.empty()) return 1;
    pipeline.push_back(t1 - t0);
    bare.push_back(t2 - t1);
  }
  std::printf("%s pipeline, median of %d: %8.1f ms\n", apk ? "ExtractApkIcon" : "ExtractIpaIcon", rounds, Median(pipeline));
  std::printf("bare tool runs, median:      %8.1f ms\n", Median(bare));
  std::printf("ratio pipeline/bare: %.3f\n", Median(pipeline) / Median(bare));
  return 0;
}
