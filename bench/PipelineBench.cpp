// End-to-end ExtractApkIcon or ExtractIpaIcon against the bare tool runs the
// pipeline makes, interleaved in the same run; or an archive listing as the
// routes read it against 7-Zip listing the same archive into a file.
//   pipeline_bench apk|ipa PACKAGE ENTRY ROUNDS   (run from a folder holding the tools)
//   pipeline_bench listing ARCHIVE - ROUNDS
// Or a Linux package's icon read in process against unpacking its data
// archive alone (the floor: no pass can be faster than its decompression).
//   pipeline_bench deb PACKAGE - ROUNDS
// Or a snap's or an AppImage's icon through its route against the SquashFS
// reader alone reading the icon's file (and, for scale, listing the icon
// folders as a route does when that file is no icon).
//   pipeline_bench snap|appimage PACKAGE ICON-PATH ROUNDS
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "android/ApkIcon_win.h"
#include "bench/BenchTiming.h"
#include "ios/IpaIcon_win.h"
#include "linux/AppImage.h"
#include "linux/LinuxIconChoice.h"
#include "linux/LinuxPackageIcon_win.h"
#include "linux/PackagePass.h"
#include "linux/SquashFs.h"
#include "support/FileIo_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"

namespace {

// The tool's own run with its standard output (and error) in a file.
double ListIntoFile(const std::string& program, const std::string& arguments, const std::string& outputPath) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE file = CreateFileA(outputPath.c_str(), GENERIC_WRITE, 0, &inheritable, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = file;
  PROCESS_INFORMATION info{};
  std::string line = "\"" + program + "\" " + arguments;
  const double t0 = NowMs();
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &info)) {
    return -1;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  const double t1 = NowMs();
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  CloseHandle(file);
  DeleteFileA(outputPath.c_str());
  return t1 - t0;
}

int Listing(const PipelineContext& context, const std::string& archive, int rounds) {
  std::vector<double> ours, file, pipe;
  std::size_t entries = 0;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = NowMs();
    entries = ListArchive(context, {archive, "-tzip", EntryText::Narrow}).size();
    ours.push_back(NowMs() - t0);
    const double t1 = NowMs();
    RunConsoleCommand(context.toolPath(kArchiveTool), "l -tzip -slt -sccUTF-8 \"" + archive + "\"");
    pipe.push_back(NowMs() - t1);
    file.push_back(ListIntoFile(context.toolPath(kArchiveTool), "l -tzip -slt -sccUTF-8 \"" + archive + "\"",
                                context.inRunDirectory("listing-bench.txt")));
  }
  std::printf("listing of %zu entries as the routes read it, median of %d: %8.1f ms\n", entries, rounds, Median(ours));
  std::printf("7-Zip listing into a file, median:               %8.1f ms\n", Median(file));
  std::printf("the same listing read through a pipe, median:    %8.1f ms\n", Median(pipe));
  std::printf("ratio listing/file: %.3f (target <= 2)\n", Median(ours) / Median(file));
  return entries ? 0 : 1;
}

std::uint64_t BytesWrittenSoFar() {
  IO_COUNTERS counters{};
  GetProcessIoCounters(GetCurrentProcess(), &counters);
  return counters.WriteTransferCount;
}

int Deb(const PipelineContext& context, const std::string& package, int rounds) {
  std::vector<double> ours, floor;
  std::uint64_t written = 0, unpacked = 0;
  for (int i = 0; i < rounds; ++i) {
    const std::uint64_t before = BytesWrittenSoFar();
    const double t0 = NowMs();
    const Bytes icon = ExtractDebIcon(context, package);
    ours.push_back(NowMs() - t0);
    written += BytesWrittenSoFar() - before;
    if (icon.empty()) return 1;
    const double t1 = NowMs();
    unpacked = UnpackDebDataArchive(FileView(package).bytes());
    floor.push_back(NowMs() - t1);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("ExtractDebIcon, median of %d:              %8.1f ms\n", rounds, Median(ours));
  std::printf("unpacking data.tar alone (%llu MB), median: %8.1f ms\n", (unsigned long long)(unpacked >> 20), Median(floor));
  std::printf("bytes written by the pipeline: %llu; peak working set: %llu MB\n", (unsigned long long)written,
              (unsigned long long)(memory.PeakWorkingSetSize >> 20));
  std::printf("ratio pipeline/unpacking: %.3f (target <= 1.2)\n", Median(ours) / Median(floor));
  return 0;
}

// The reader alone: the image opened and the icon's file read, links
// followed; with list, the icon folders listed first.
std::size_t ReadDirectly(const std::string& package, const std::string& iconPath, bool appImage, bool list) {
  const FileView file(package);
  ByteSpan bytes = file.bytes();
  if (appImage) bytes = bytes.subspan(AppImageImageOffset(bytes.first(kElfHeaderBytes), bytes.size()).value_or(0));
  SquashFsImage image(bytes);
  std::vector<ArchiveEntry> entries;
  if (list) image.list(MayLeadToIcon, [] { return true; }, entries);
  return image.readFollowingLinks(iconPath, kMaxReadBytes).size();
}

int SquashFs(const PipelineContext& context, const std::string& package, const std::string& iconPath, bool appImage,
             int rounds) {
  std::vector<double> ours, floor, listing;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = NowMs();
    const Bytes icon = appImage ? ExtractAppImageIcon(context, package) : ExtractSnapIcon(context, package);
    ours.push_back(NowMs() - t0);
    if (icon.empty()) return 1;
    const double t1 = NowMs();
    if (ReadDirectly(package, iconPath, appImage, false) == 0) return 1;
    floor.push_back(NowMs() - t1);
    const double t2 = NowMs();
    ReadDirectly(package, iconPath, appImage, true);
    listing.push_back(NowMs() - t2);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("%s, median of %d:        %8.1f ms\n", appImage ? "ExtractAppImageIcon" : "ExtractSnapIcon    ", rounds,
              Median(ours));
  std::printf("the reader alone on the same file, median:   %8.1f ms\n", Median(floor));
  std::printf("(the icon folders listed as well, median:   %8.1f ms)\n", Median(listing));
  std::printf("peak working set: %llu MB\n", (unsigned long long)(memory.PeakWorkingSetSize >> 20));
  std::printf("ratio pipeline/reader: %.3f (target <= 1.2)\n", Median(ours) / Median(floor));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string kind = argv[1], package = argv[2], entry = argv[3];
  const std::string quoted = "\"" + package + "\"";
  const bool apk = kind == "apk";
  const int rounds = std::atoi(argv[4]);
  const PipelineContext context{folder, {}};
  if (kind == "listing") return Listing(context, package, rounds);
  if (kind == "deb") return Deb(context, package, rounds);
  if (kind == "snap" || kind == "appimage") return SquashFs(context, package, entry, kind == "appimage", rounds);
  std::vector<double> pipeline, bare;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = NowMs();
    const Bytes icon = apk ? ExtractApkIcon(context, package) : ExtractIpaIcon(context, package);
    const double t1 = NowMs();
    // The same commands the route runs, through the same runner.
    if (apk && entry.ends_with(".xml")) {
      // The target's measure for a drawn icon: its resource values and one
      // run of XML trees (the route also needs the badging first).
      RunConsoleCommand(context.toolPath(kPackagingTool), "dump --values resources " + quoted);
      RunConsoleCommand(context.toolPath(kPackagingTool), "dump xmltree " + quoted + " \"" + entry + "\"");
    } else if (apk) {
      RunConsoleCommand(context.toolPath(kPackagingTool), "dump badging " + quoted);
      ToolOutputBytes(context.toolPath(kUnzipTool), "-p " + quoted + " \"" + entry + "\"", {}, 64 << 20);
    } else {
      // The route reads listings through a file, as here.
      const std::string listing = context.inRunDirectory("bench-listing.txt");
      RunConsoleCommandThroughFile(context.toolPath(kArchiveTool), "l -tzip -slt -sccUTF-8 " + quoted, {}, listing);
      DeleteFileA(listing.c_str());
      ToolOutputBytes(context.toolPath(kArchiveTool), "e -tzip -so -sccUTF-8 " + quoted + " \"" + entry + "\"", {}, 64 << 20);
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
