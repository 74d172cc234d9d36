#include "android/ApkDrawnIcon_win.h"

#include <map>
#include <optional>
#include <span>
#include <vector>

#include "android/AndroidDrawableText.h"
#include "android/ApkEntry_win.h"
#include "android/ToolXmlTree.h"
#include "draw/DrawableRender.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "support/TextCodec_win.h"
#include "tools/CapturedOutput.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// The trees of the files named (each quoted after a blank) from one run of
// the packaging tool, in order. Under Wine the tool prints a few hundred
// kilobytes a second, so it is ended as soon as it has printed more than
// maxBytes, the tree text the icon may still read: nothing then, and
// nothing when it could not run. A file the tool cannot read ends its
// output (its complaint goes to standard error, which is dropped): fewer
// trees than files.
std::optional<std::vector<std::string>> DumpTrees(const PipelineContext& context, const ToolArgument& package,
                                                  const std::string& folder, const std::string& names,
                                                  std::size_t maxBytes) {
  std::string text;
  const StreamedRun run = StreamToolOutput(context.toolPath(kPackagingTool), "dump xmltree \"" + package.text + "\"" + names,
                                           folder, maxBytes, [&text](std::span<const char> chunk) {
                                             AppendCapturedChunk(text, chunk);
                                             return true;
                                           });
  if (!run.complete) return std::nullopt;
  text = ToolTextToNarrow(text);
  std::vector<std::string> trees;
  for (std::string_view tree : SplitXmlTreeDump(text).trees) trees.emplace_back(tree);
  return trees;
}

}  // namespace

Bytes DrawApkIcon(const PipelineContext& context, const ToolArgument& package,
                  const std::string& packagePath, const std::string& xmlEntry, const EntryElsewhere& entryElsewhere) {
  const std::string folder = package.folder.empty() ? context.runDirectory : package.folder;
  const std::string resources = ToolTextToNarrow(
      RunConsoleCommand(context.toolPath(kPackagingTool), "dump --values resources \"" + package.text + "\"", folder));

  // The drawing is read again after every level of files it names has been
  // fetched: all XML trees of one level in one run of the tool, then that
  // level's bitmaps. Files are fetched once and parsed once; one the tool
  // cannot give reads as empty, which refuses the drawing. A tree's text is
  // handed to the reader once, which keeps the tree; the resource values
  // are parsed once for all readings.
  const ResourceValues values = ParseResourceValues(resources);
  std::map<std::string, std::string> texts;
  std::map<std::string, ParsedTree> parsed;
  std::size_t textFetched = 0;
  std::map<std::string, RgbaImage> bitmaps;
  for (std::size_t level = 0; level <= kMaxDrawableDepth + 1; ++level) {
    std::vector<std::string> wantedTrees, wantedBitmaps;
    DrawableSources sources;
    sources.resources = resources;
    sources.parsedResources = &values;
    sources.xmlTree = [&](const std::string& entry) {
      const auto found = texts.find(entry);
      return found == texts.end() ? std::string() : std::move(found->second);
    };
    sources.bitmap = [&](const std::string& entry) { return bitmaps[entry]; };
    sources.treeAtHand = [&](const std::string& entry) { return texts.count(entry) > 0; };
    sources.bitmapAtHand = [&](const std::string& entry) { return bitmaps.count(entry) > 0; };
    sources.wantedTrees = &wantedTrees;
    sources.wantedBitmaps = &wantedBitmaps;
    sources.parsedTrees = &parsed;
    const AndroidIconDrawing drawing = ReadAndroidIcon(sources, xmlEntry);
    if (wantedTrees.empty() && wantedBitmaps.empty()) return WritePng(RenderAndroidIcon(drawing, context.drawSide));

    // Entry names come from inside the package: one that fails the guard is
    // never put on a command line, and counts as missing.
    std::string names;
    std::vector<std::string> asked;
    for (const std::string& entry : wantedTrees) {
      if (ExtractedName(entry, "/").empty() || texts.size() + asked.size() >= kMaxDrawableFiles) {
        texts[entry];
        continue;
      }
      names += " \"" + entry + "\"";
      asked.push_back(entry);
    }
    if (!asked.empty()) {
      // More text than the icon may read refuses it.
      std::optional<std::vector<std::string>> trees =
          DumpTrees(context, package, folder, names, kMaxDrawableText - std::min(textFetched, kMaxDrawableText));
      if (!trees) return {};
      for (std::size_t i = 0; i < asked.size() && i <= trees->size(); ++i) {
        // The file after the last tree is the one the tool could not read;
        // those after it were not tried and wait for the next round.
        std::string& text = texts[asked[i]];
        if (i < trees->size()) text = std::move((*trees)[i]);
        textFetched += text.size();
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
