#include "extract/IpaIcon_win.h"

#include <windows.h>

#include "extract/ConsoleRunner_win.h"
#include "extract/HelperTools.h"
#include "extract/Extraction_win.h"
#include "extract/IpaIconChoice.h"
#include "extract/PngCheck.h"
#include "extract/PngNormalize_win.h"
#include "output/PictureStore.h"
#include "support/CgbiPng.h"
#include "support/TextCodec_win.h"

namespace {

// A standard PNG stays as it is. Apple-crushed data, stored blue first, is
// re-encoded and has red and blue exchanged; anything else the codec reads
// (a JPEG under a .png name, say) is re-encoded with its colours kept.
Bytes StandardPng(Bytes bytes) {
  if (!CheckPngHeader(bytes).empty()) return bytes;
  const bool crushed = IsCgbiPng(bytes);
  bytes = ReencodeImage(bytes, 5, 0);
  return crushed ? ExchangeRedBlue(bytes) : bytes;
}

}  // namespace

Bytes ExtractIpaIcon(const PipelineContext& context, const std::string& packagePath) {
  context.showBackground(kWhite);
  KillProcessByName(kArchiveTool);
  const std::string quotedPackage = "\"" + packagePath + "\"";
  SetCurrentDirectoryA(context.runDirectory.c_str());

  // UTF-8 names, whatever the console's code page; converted as the badging is.
  const std::string listing = Utf8ToGbk(RunConsoleCommand("za l -sccUTF-8 " + quotedPackage));
  const std::string best = ChooseIpaIcon(listing, SystemNarrowCodec());
  if (best.empty()) return {};
  const std::string entry = best + ".png";
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  const std::string extracted = ExtractionTarget(context, entry, "\\");
  if (extracted.empty()) return {};

  Bytes bytes = RunExtraction("za e -sccUTF-8 " + quotedPackage + " \"" + entry + "\"", extracted);
  context.showBackground(kButtonFaceColour);
  Bytes icon = StandardPng(std::move(bytes));
  DeleteFileA(extracted.c_str());
  return icon;
}
