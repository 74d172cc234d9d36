// tessaroo-cli [--size N] INPUT OUTPUT: takes INPUT in as a drop onto the
// window would, and writes the resulting picture to OUTPUT: a PNG when its
// name ends in .png or has no extension, an icon file when it ends in .ico
// (the whole icon group of a program or icon file). For scripts and tests.
// --size N draws vector and adaptive icons at N x N pixels.
// Exit codes: 0 a picture was written; 1 no picture (OUTPUT untouched; the
// reason on standard error: "no-icon: No icon in this file"); 2 wrong
// usage; 3 OUTPUT could not be written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/Batch_win.h"
#include "app/Intake_win.h"
#include "app/RunDirectory_win.h"
#include "draw/DrawableRender.h"
#include "image/ImageCodec_win.h"
#include "image/ImageFormat.h"
#include "image/Picture_win.h"
#include "output/PictureStore.h"
#include "output/SaveName.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/HelperTools_win.h"

namespace {

constexpr const char* kUsage =
    "usage: tessaroo-cli [--size N] INPUT OUTPUT\n"
    "       tessaroo-cli [--size N] [--jobs N] [--report FILE] --out DIR INPUT...\n"
    "  OUTPUT ending in .png or without extension: a PNG; ending in .ico: an icon file\n"
    "  --size N       draw vector, adaptive and SVG icons at N x N pixels (16 to 1024)\n"
    "  --out DIR      every INPUT (files, and folders searched for known kinds) into DIR\\<name>.png\n"
    "  --jobs N       inputs read at once (1 to 64; the number of processors by default)\n"
    "  --report FILE  a JSON report, one object per input\n";

int Usage(const char* problem = nullptr) {
  if (problem) std::fprintf(stderr, "tessaroo-cli: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearchToSystem();
  int drawSide = 0;
  BatchOptions batch;
  bool batchOption = false;
  int at = 1;
  for (; at < argc && argv[at][0] == '-' && argv[at][1] == '-'; ++at) {
    const std::string option = argv[at];
    if (at + 1 >= argc) return Usage((option + " takes a value").c_str());
    const std::string value = argv[++at];
    if (option == "--size") {
      const std::optional<std::uint64_t> side = ParseDecimal(value);
      if (!side || *side < kMinDrawnSide || *side > kMaxDrawnSide) return Usage("--size takes a number from 16 to 1024");
      drawSide = static_cast<int>(*side);
    } else if (option == "--jobs") {
      const std::optional<std::uint64_t> jobs = ParseDecimal(value);
      if (!jobs || *jobs < 1 || *jobs > 64) return Usage("--jobs takes a number from 1 to 64");
      batch.jobs = static_cast<int>(*jobs);
      batchOption = true;
    } else if (option == "--report") {
      batch.reportPath = value;
      batchOption = true;
    } else if (option == "--out") {
      batch.outDir = value;
    } else {
      return Usage(("unknown option " + option).c_str());
    }
  }
  if (!batch.outDir.empty()) {
    if (at >= argc) return Usage("--out takes at least one INPUT");
    batch.drawSide = drawSide;
    batch.inputs.assign(argv + at, argv + argc);
    const int code = RunBatch(batch);
    StopCodec();
    return code;
  }
  if (batchOption) return Usage("--jobs and --report go with --out");
  if (argc - at != 2) return Usage();
  // Pipelines change the current directory, so both paths are made full first.
  const std::string input = FullPathOf(argv[at]);
  const std::string output = FullPathOf(argv[at + 1]);
  if (input.empty() || output.empty()) return Usage();
  const std::string_view extension = FileNameExtension(output, SystemLeadByte);
  const bool icon = EqualsIgnoringAsciiCase(extension, ".ico");
  if (!icon && !extension.empty() && !EqualsIgnoringAsciiCase(extension, ".png")) {
    return Usage("OUTPUT must end in .png or .ico");
  }

  const std::string runDirectory = RunDirectory();
  PrepareRunDirectory(runDirectory);
  SetCurrentDirectoryA(runDirectory.c_str());

  PictureStore picture;
  PipelineContext context{runDirectory};
  context.drawSide = drawSide;
  const IconReason reason = DispatchFile(context, picture, input);
  StopCodec();
  if (!picture.hasPicture()) {
    const ReasonWords words = WordsOf(reason == IconReason::None ? IconReason::NoIcon : reason);
    std::fprintf(stderr, "%.*s: %.*s\n", int(words.id.size()), words.id.data(), int(words.english.size()),
                 words.english.data());
    return 1;
  }
  const Bytes file = icon ? PictureAsIcon(picture.picture()) : PictureAsPng(picture.picture());
  if (file.empty()) return 1;
  if (drawSide) {
    // Only drawn icons have a size to choose; a stored one is never scaled.
    const ImageSize size = ProbeImageSize(PictureAsPng(picture.picture()));
    if (size.width != std::uint32_t(drawSide) || size.height != std::uint32_t(drawSide)) {
      std::fprintf(stderr, "tessaroo-cli: --size applies to drawn icons only; this icon is written at its own %u x %u\n",
                   size.width, size.height);
    }
  }
  return WriteFileAtomically(output, file) ? 0 : 3;
}
