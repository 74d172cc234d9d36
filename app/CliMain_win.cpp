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
#include "app/ImportWorker_win.h"
#include "app/Wildcards_win.h"
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
    "usage: tessaroo-cli [--size N] [--with FILE]... INPUT OUTPUT\n"
    "       tessaroo-cli [--size N] [--jobs N] [--report FILE] --out DIR INPUT...\n"
    "       tessaroo-cli --help | --version\n"
    "  OUTPUT ending in .png or without extension: a PNG; ending in .ico: an icon file\n"
    "  --size N       draw vector, adaptive and SVG icons at N x N pixels (16 to 1024);\n"
    "                 of an icon group, take the largest image not above N\n"
    "  --with FILE    a package given along with INPUT: the data package holding its icon\n"
    "  --out DIR      every INPUT (files, and folders searched for known kinds) into DIR\\<name>.png\n"
    "  --jobs N       inputs read at once (1 to 64; the number of processors by default)\n"
    "  --report FILE  a JSON report, one object per input; packages of one set find\n"
    "                 their icons in each other (an application and its data package)\n"
    "  INPUT may hold the wildcards * and ? in its file name.\n"
    "Exit codes: 0 written, 1 no icon (the reason on standard error), 2 usage, 3 OUTPUT not writable.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tessaroo-cli: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

bool IsHelp(std::string_view option) { return option == "-h" || option == "--help" || option == "/?" || option == "-?"; }

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearchToSystem();
  int drawSide = 0;
  std::vector<std::string> companions;
  BatchOptions batch;
  bool batchOption = false;
  int at = 1;
  for (; at < argc; ++at) {
    const std::string option = argv[at];
    if (IsHelp(option)) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (option == "--version") {
      std::printf("tessaroo-cli %s\n", TESSAROO_VERSION);
      return 0;
    }
    if (!option.starts_with("--")) break;
    if (at + 1 >= argc) return Usage(option + " takes a value");
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
    } else if (option == "--with") {
      const std::string full = FullPathOf(value);
      if (full.empty()) return Usage("--with " + value + " is no path");
      companions.push_back(full);
    } else {
      return Usage("unknown option " + option);
    }
  }
  if (!batch.outDir.empty()) {
    if (at >= argc) return Usage("--out takes at least one INPUT");
    if (!companions.empty()) return Usage("--with goes with one INPUT: a batch's packages find each other");
    batch.drawSide = drawSide;
    batch.inputs = ExpandWildcards(std::vector<std::string>(argv + at, argv + argc));
    const int code = RunBatch(batch);
    StopCodec();
    return code;
  }
  if (batchOption) return Usage("--jobs and --report go with --out");
  if (argc - at < 2) return Usage(argc == at ? "INPUT and OUTPUT are missing" : "OUTPUT is missing");
  if (argc - at > 2) return Usage("one INPUT and one OUTPUT: give --out DIR for several inputs");
  const std::vector<std::string> matched = ExpandWildcards({argv[at]});
  if (matched.size() != 1) {
    return Usage(std::string("INPUT ") + argv[at] + " matches " + std::to_string(matched.size()) +
                 " files: give --out DIR for several inputs");
  }
  if (EndsInDotOrSpace(matched[0])) {
    // Made full, the name would lose its last dot or space and name another
    // file; no reader opens it as itself.
    std::fputs("refused: Refused for safety (a file name ending in a dot or a space)\n", stderr);
    return 1;
  }
  // Pipelines change the current directory, so both paths are made full first.
  const std::string input = FullPathOf(matched[0]);
  const std::string output = FullPathOf(argv[at + 1]);
  if (input.empty()) return Usage(std::string("INPUT ") + matched[0] + " is no path");
  if (output.empty()) return Usage(std::string("OUTPUT ") + argv[at + 1] + " is no path");
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
  context.companions = std::move(companions);
  const IconReason reason = DispatchFile(context, picture, input);
  StopCodec();
  if (!picture.hasPicture()) {
    const ReasonWords words = WordsOf(reason == IconReason::None ? IconReason::NoIcon : reason);
    std::fprintf(stderr, "%.*s: %s\n", int(words.id.size()), words.id.data(),
                 WithSubject(words.english, picture.reasonSubject()).c_str());
    return 1;
  }
  // An icon group's image is chosen by --size: the largest not above it.
  const bool group = SniffImageFormat(picture.picture()) == ImageFormat::Icon;
  const Bytes file = icon                    ? PictureAsIcon(picture.picture())
                     : drawSide && group ? PictureImageAsPng(picture.picture(), std::uint32_t(drawSide))
                                             : PictureAsPng(picture.picture());
  if (file.empty()) return 1;
  if (drawSide && !group) {
    // Only drawn icons have a size to choose; a stored one is never scaled.
    const ImageSize size = ProbeImageSize(PictureAsPng(picture.picture()));
    if (size.width != std::uint32_t(drawSide) || size.height != std::uint32_t(drawSide)) {
      std::fprintf(stderr, "tessaroo-cli: --size applies to drawn icons only; this icon is written at its own %u x %u\n",
                   size.width, size.height);
    }
  }
  if (!WriteFileAtomically(output, file)) {
    std::fprintf(stderr, "tessaroo-cli: cannot write %s (%s)\n", argv[at + 1], CodePageFromWide(SystemErrorText(GetLastError()), CP_ACP).c_str());
    return 3;
  }
  return 0;
}
