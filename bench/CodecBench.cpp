// Normalising a crushed 1024 x 1024 icon, measured in the same run: the
// plain rewrite into a standard PNG (stored channels, no conversion); the
// route the program takes, which converts the rows to true colours with
// their alpha in that same one pass (target: at most 1.5 times the plain
// rewrite); and the codec route (the rewrite, the GDI+ re-encode, the
// red/blue exchange) the iOS pipeline keeps for what the PNG decoder
// refuses. Prints the median time of each and the process's peak memory.
#include <windows.h>

#include <psapi.h>

#include "bench/BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "image/CgbiPng.h"
#include "image/PngNormalize_win.h"
#include "tests/support/TestImages.h"

int main() {
  const Bytes crushed = EncodeCgbi(TestPattern(1024, 1024), 6, 4);
  std::vector<double> rewrite, reencode, exchange, direct;
  for (int i = 0; i < 7; ++i) {
    double t0 = NowMs();
    const Bytes normal = NormalizeCgbiPng(crushed);
    double t1 = NowMs();
    const Bytes png = ReencodeImage(crushed, 5, 0);
    double t2 = NowMs();
    const Bytes shown = CrushedPixelsToPng(png);
    double t3 = NowMs();
    const Bytes withAlpha = CgbiToPng(crushed);
    double t4 = NowMs();
    if (normal.empty() || png.empty() || shown.empty() || withAlpha.empty()) return 1;
    rewrite.push_back(t1 - t0);
    reencode.push_back(t2 - t1 - (t1 - t0));  // ReencodeImage rewrites the crushed data itself
    exchange.push_back(t3 - t2);
    direct.push_back(t4 - t3);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("crushed 1024x1024 icon, %zu bytes; medians of 7:\n", crushed.size());
  std::printf("  rewrite into standard PNG   %8.1f ms\n", Median(rewrite));
  std::printf("  re-encode as PNG (GDI+)     %8.1f ms\n", Median(reencode));
  std::printf("  un-crush the codec's pixels %8.1f ms\n", Median(exchange));
  const double codecRoute = Median(rewrite) * 2 + Median(reencode) + Median(exchange);
  std::printf("  codec route, total          %8.1f ms\n", codecRoute);
  std::printf("  one pass with alpha (CgbiToPng) %8.1f ms\n", Median(direct));
  std::printf("ratio one pass with alpha/plain rewrite: %.2f (target <= 1.5)\n", Median(direct) / Median(rewrite));
  std::printf("ratio one pass with alpha/codec route: %.3f\n", Median(direct) / codecRoute);
  std::printf("peak working set: %.1f MB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20));
  return 0;
}
