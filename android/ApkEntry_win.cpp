#include "android/ApkEntry_win.h"

#include "android/ApkIconChoice.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/WebpConvert_win.h"
#include "tools/ZipDirectory.h"

namespace {

// Entry names are stored in UTF-8; the program's narrow text may be another
// code page.
std::string StoredName(const std::string& narrow) {
  return ProcessTextIsUtf8() ? narrow : Utf8FromWide(WideFromAnsi(narrow));
}

}  // namespace

ZipEntryListing ListZipEntry(const std::string& packagePath, const std::string& entry) {
  const FileView package(packagePath);
  const std::optional<std::uint64_t> size = ZipEntrySize(package.bytes(), StoredName(entry));
  if (!size) return {};
  return {*size <= kMaxReadBytes ? EntryPresence::Fits : EntryPresence::TooLarge, *size};
}

std::string ListZipNames(const std::string& packagePath) {
  const FileView package(packagePath);
  const std::optional<std::vector<ZipDirectoryEntry>> entries = ReadZipDirectory(package.bytes());
  std::string listing;
  if (!entries) return listing;
  for (const ZipDirectoryEntry& entry : *entries) {
    listing += ToolTextToNarrow(entry.name);
    listing += '\n';
  }
  return listing;
}

Bytes ReadIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& quotedPackage,
                    const std::string& entry, std::uint64_t listedSize) {
  Bytes icon = RunEntryOutput(context, kUnzipTool, "-p " + quotedPackage + " \"" + entry + "\"", listedSize);
  switch (ClassifyIconEntry(entry, icon)) {
    case IconEntryKind::Keep: return icon;
    case IconEntryKind::ConvertWebp: {
      // The decoder reads a file: the program writes it, under its own name.
      const std::string webp = work.file("entry.webp");
      if (work.path().empty() || !WriteFileAtomically(webp, icon)) return {};
      return ConvertWebpToPng(context, webp);
    }
    case IconEntryKind::Drop: break;
  }
  return {};
}

Bytes ExtractApkIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& packagePath,
                          const std::string& entry) {
  const std::string quotedPackage = "\"" + packagePath + "\"";
  if (ExtractedName(entry, "/").empty()) {
    context.report(IconReason::Refused);
    return {};
  }
  const ZipEntryListing listed = ListZipEntry(packagePath, entry);
  if (listed.presence == EntryPresence::TooLarge) context.report(IconReason::Damaged);
  if (listed.presence != EntryPresence::Fits) return {};
  return ReadIconEntry(context, work, quotedPackage, entry, listed.size);
}
