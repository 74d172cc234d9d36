#include "ios/IpaIcon_win.h"

#include "image/CgbiPng.h"
#include "image/Colours.h"
#include "image/ImageFormat.h"
#include "image/PngNormalize_win.h"
#include "ios/IpaIconChoice.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"

namespace {

// A standard PNG stays as it is. Apple-crushed data, stored blue first, is
// rewritten in true colours and opaque in one pass; a crushed layout that
// pass does not take goes through the codec and has red and blue exchanged
// there, with the same result. Anything else the codec reads (a JPEG under a
// .png name, say) is re-encoded with its colours kept.
Bytes StandardPng(Bytes bytes) {
  if (IsStandardPngStart(bytes)) return bytes;
  if (!IsCgbiPng(bytes)) return ReencodeImage(bytes, 5, 0);
  Bytes shown = CgbiToOpaquePng(bytes);
  return shown.empty() ? ExchangeRedBlue(ReencodeImage(bytes, 5, 0)) : shown;
}

}  // namespace

Bytes ExtractIpaIcon(const PipelineContext& context, const std::string& packagePath) {
  context.showBackground(kWhite);
  EndToolRun(kArchiveTool);
  const std::string quotedPackage = "\"" + packagePath + "\"";

  // UTF-8 names, whatever the console's code page; converted as the badging is.
  const std::string listing = ToolTextToNarrow(RunConsoleCommand(context.toolPath(kArchiveTool), "l -sccUTF-8 " + quotedPackage));
  const IpaIconEntry best = ChooseIpaIconEntry(listing, SystemNarrowCodec());
  if (best.name.empty()) return {};
  const std::string entry = best.name + ".png";
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  const std::string name = ExtractedName(entry, "\\");
  if (name.empty()) return {};
  context.showBackground(kButtonFaceColour);
  // A larger entry would be refused when read: it is never written out.
  if (static_cast<std::uint64_t>(best.size) > kMaxReadBytes) return {};

  const WorkFolder work(context.runDirectory);
  // A package may also use the icon's name as a folder: "e" would extract
  // everything under it too, flattened beside the icon, so the entry's
  // children are excluded. -aos: an entry stored twice is written once, with
  // no question asked of a tool that has no input.
  const std::string arguments =
      "e -sccUTF-8 -aos \"-o" + work.path() + "\" " + quotedPackage + " \"" + entry + "\" \"-x!" + entry + "\\*\"";
  return StandardPng(RunExtraction(context, kArchiveTool, arguments, work, name));
}
