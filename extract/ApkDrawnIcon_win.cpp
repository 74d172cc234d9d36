#include "extract/ApkDrawnIcon_win.h"

#include "extract/AndroidDrawableText.h"
#include "extract/ApkIcon_win.h"
#include "extract/ConsoleRunner_win.h"
#include "extract/DrawableRender.h"
#include "extract/Extraction_win.h"
#include "extract/HelperTools.h"
#include "extract/WorkFolder_win.h"
#include "output/PngDecode.h"
#include "output/PngEncode.h"
#include "support/TextCodec_win.h"

Bytes DrawApkIcon(const PipelineContext& context, const ToolArgument& package,
                  const std::string& packagePath, const std::string& xmlEntry, const EntryElsewhere& entryElsewhere) {
  const std::string folder = package.folder.empty() ? context.runDirectory : package.folder;
  const auto dump = [&](const std::string& arguments) {
    return ToolTextToNarrow(RunConsoleCommand(context.toolPath(kPackagingTool), arguments, folder));
  };
  const std::string resources = dump("dump --values resources \"" + package.text + "\"");

  DrawableSources sources;
  sources.resources = resources;
  // Entry names come from inside the package: one that fails the guard is
  // never put on a command line, and counts as missing.
  sources.xmlTree = [&](const std::string& entry) {
    if (ExtractedName(entry, "/").empty()) return std::string();
    return dump("dump xmltree \"" + package.text + "\" \"" + entry + "\"");
  };
  sources.bitmap = [&](const std::string& entry) {
    // A folder of its own for each bitmap: layers from different density
    // folders may share a file name.
    const WorkFolder layerWork(context.runDirectory);
    Bytes bytes = ExtractApkIconEntry(context, layerWork, packagePath, entry);
    if (bytes.empty() && entryElsewhere) bytes = entryElsewhere(entry);
    return DecodePng(bytes);
  };
  return WritePng(RenderAndroidIcon(ReadAndroidIcon(sources, xmlEntry)));
}
