// The executable icon route on a large executable: our own resource reader
// over a mapped view, against the platform route the original design used
// (map the file as an image resource, enumerate every icon and copy each),
// each in its own process so that the peak memory is its own.
//   exe_bench ours|platform PATH ROUNDS
#include <windows.h>

#include <psapi.h>

#include "bench/BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "windows/ExeIcon_win.h"
#include "windows/IconGroup.h"

namespace {

struct Collected {
  std::vector<Bytes> groups, icons;
  std::vector<ULONG_PTR> ids;
};

Bytes Copy(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* data = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + SizeofResource(module, found)) : Bytes{};
}

BOOL CALLBACK Collect(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* c = reinterpret_cast<Collected*>(param);
  Bytes bytes = Copy(module, type, name);
  if (bytes.empty()) return TRUE;
  if (type == MAKEINTRESOURCEW(14)) {
    c->groups.push_back(std::move(bytes));
  } else {
    c->icons.push_back(std::move(bytes));
    c->ids.push_back(reinterpret_cast<ULONG_PTR>(name));
  }
  return TRUE;
}

Bytes PlatformRoute(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return {};
  Collected c;
  EnumResourceNamesW(module, MAKEINTRESOURCEW(14), Collect, reinterpret_cast<LONG_PTR>(&c));
  EnumResourceNamesW(module, MAKEINTRESOURCEW(3), Collect, reinterpret_cast<LONG_PTR>(&c));
  FreeLibrary(module);
  if (c.groups.empty()) return {};
  const IconEntryChoice choice = ChooseIconEntry(c.groups.front());
  return AssembleIconFile(c.groups.front(), choice, [&](std::uint16_t id) {
    for (std::size_t i = 0; i < c.ids.size(); ++i) {
      if (c.ids[i] == id) return ByteSpan(c.icons[i]);
    }
    return ByteSpan();
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string mode = argv[1], path = argv[2];
  const int rounds = std::atoi(argv[3]);
  std::vector<double> times;
  std::size_t size = 0;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = NowMs();
    const Bytes icon = mode == "ours" ? ExtractExeIcon(path) : PlatformRoute(path);
    times.push_back(NowMs() - t0);
    size = icon.size();
  }
  std::sort(times.begin(), times.end());
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("%-8s icon of %zu bytes, median of %d: %8.2f ms, peak working set %.1f MB\n", mode.c_str(), size,
              rounds, times[times.size() / 2], static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20));
  return size > 22 ? 0 : 1;
}
