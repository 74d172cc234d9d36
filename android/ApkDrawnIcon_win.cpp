#include "android/ApkDrawnIcon_win.h"

#include "android/AndroidDrawableText.h"
#include "android/ApkEntry_win.h"
#include "draw/DrawableRender.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

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
  return WritePng(RenderAndroidIcon(ReadAndroidIcon(sources, xmlEntry), context.drawSide));
}
