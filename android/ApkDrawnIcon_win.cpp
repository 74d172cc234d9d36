#include "android/ApkDrawnIcon_win.h"

#include <map>
#include <vector>

#include "android/AndroidDrawableText.h"
#include "android/ApkEntry_win.h"
#include "android/ToolXmlTree.h"
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

  // The drawing is read again after every level of files it names has been
  // fetched: all XML trees of one level in one run of the tool, then that
  // level's bitmaps. Files are fetched once; one the tool cannot give reads
  // as empty, which refuses the drawing.
  std::map<std::string, std::string> trees;
  std::map<std::string, RgbaImage> bitmaps;
  for (std::size_t level = 0; level <= kMaxDrawableDepth + 1; ++level) {
    std::vector<std::string> wantedTrees, wantedBitmaps;
    DrawableSources sources;
    sources.resources = resources;
    sources.xmlTree = [&](const std::string& entry) { return trees[entry]; };
    sources.bitmap = [&](const std::string& entry) { return bitmaps[entry]; };
    sources.treeAtHand = [&](const std::string& entry) { return trees.count(entry) > 0; };
    sources.bitmapAtHand = [&](const std::string& entry) { return bitmaps.count(entry) > 0; };
    sources.wantedTrees = &wantedTrees;
    sources.wantedBitmaps = &wantedBitmaps;
    const AndroidIconDrawing drawing = ReadAndroidIcon(sources, xmlEntry);
    if (wantedTrees.empty() && wantedBitmaps.empty()) return WritePng(RenderAndroidIcon(drawing, context.drawSide));

    // Entry names come from inside the package: one that fails the guard is
    // never put on a command line, and counts as missing.
    std::string names;
    std::vector<std::string> asked;
    for (const std::string& entry : wantedTrees) {
      if (ExtractedName(entry, "/").empty() || trees.size() + asked.size() >= kMaxDrawableFiles) {
        trees[entry];
        continue;
      }
      names += " \"" + entry + "\"";
      asked.push_back(entry);
    }
    if (!asked.empty()) {
      const std::string text = dump("dump xmltree \"" + package.text + "\"" + names);
      const XmlTreeDump split = SplitXmlTreeDump(text);
      for (std::size_t i = 0; i < asked.size(); ++i) {
        // After the file the tool could not read, nothing was printed: those
        // wait for the next round.
        if (i < split.trees.size()) trees[asked[i]] = std::string(split.trees[i]);
        else if (i == split.trees.size() || split.complete) trees[asked[i]];
      }
    }
    // The level's bitmap layers in one UnZip run; one the package does not
    // hold may be elsewhere (a bundle's density splits).
    const std::vector<Bytes> stored = ReadPackageEntries(context, packagePath, wantedBitmaps);
    for (std::size_t i = 0; i < wantedBitmaps.size(); ++i) {
      const std::string& entry = wantedBitmaps[i];
      // A folder of its own for each bitmap: layers from different density
      // folders may share a file name.
      const WorkFolder layerWork(context.runDirectory);
      Bytes bytes = stored[i].empty() ? Bytes() : KeepOrConvertEntry(context, layerWork, entry, stored[i]);
      if (bytes.empty() && entryElsewhere) bytes = entryElsewhere(entry);
      bitmaps[entry] = DecodePng(bytes);
    }
  }
  return {};
}
