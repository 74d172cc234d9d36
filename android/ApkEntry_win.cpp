#include "android/ApkEntry_win.h"

#include "android/ApkIconChoice.h"
#include "support/FileIo_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/WebpConvert_win.h"

EntryPresence ZipEntryPresence(const PipelineContext& context, const std::string& quotedPackage, const std::string& entry) {
  const std::string listing =
      RunConsoleCommand(context.toolPath(kUnzipTool), "-Z " + quotedPackage + " \"" + entry + "\"");
  const std::optional<std::uint64_t> size = ZipInfoEntrySize(listing, entry);
  if (!size) return EntryPresence::Missing;
  return *size <= kMaxReadBytes ? EntryPresence::Fits : EntryPresence::TooLarge;
}

Bytes ReadIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& quotedPackage,
                    const std::string& entry, const std::string& name) {
  // -n: an entry stored twice under one name is written once, with no
  // question asked of a tool that has no input.
  const Bytes icon = RunExtraction(
      context, kUnzipTool, "-n -j " + quotedPackage + " \"" + entry + "\" -d \"" + work.path() + "\"", work, name);
  switch (ClassifyIconEntry(entry, icon)) {
    case IconEntryKind::Keep: return icon;
    case IconEntryKind::ConvertWebp:
      ConvertWebpToPng(context, work.file(name));
      return ReadWholeFile(WorkFilePath(context));
    case IconEntryKind::Drop: break;
  }
  return {};
}

Bytes ExtractApkIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& packagePath,
                          const std::string& entry) {
  const std::string quotedPackage = "\"" + packagePath + "\"";
  const std::string name = ExtractedName(entry, "/");
  if (name.empty() || ZipEntryPresence(context, quotedPackage, entry) != EntryPresence::Fits) return {};
  return ReadIconEntry(context, work, quotedPackage, entry, name);
}
