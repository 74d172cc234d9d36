#include "android/ApkEntry_win.h"

#include "android/ApkIconChoice.h"

#include <algorithm>
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

std::vector<Bytes> ReadPackageEntries(const PipelineContext& context, const std::string& packagePath,
                                      const std::vector<std::string>& entries) {
  std::vector<Bytes> out(entries.size());
  const FileView package(packagePath);
  const std::optional<std::vector<ZipDirectoryEntry>> directory = ReadZipDirectory(package.bytes());
  if (!directory) return out;
  // UnZip prints the entries in the directory's order, whatever the order
  // named: each is cut out of its output by the directory's sizes.
  std::vector<std::pair<std::size_t, std::size_t>> order;  // directory index, entries index
  std::uint64_t total = 0;
  std::string names;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string stored = StoredName(entries[i]);
    for (std::size_t d = 0; d < directory->size(); ++d) {
      if ((*directory)[d].name != stored) continue;
      if ((*directory)[d].size <= kMaxReadBytes && !ExtractedName(entries[i], "/").empty()) {
        order.emplace_back(d, i);
        total += (*directory)[d].size;
        names += " \"" + entries[i] + "\"";
      }
      break;
    }
  }
  if (order.empty() || total > kMaxReadBytes) return out;
  std::sort(order.begin(), order.end());
  const Bytes all = RunEntryOutput(context, kUnzipTool, "-p \"" + packagePath + "\"" + names, total);
  if (all.size() != total) return out;
  std::size_t at = 0;
  for (const auto& [index, entry] : order) {
    const std::size_t size = static_cast<std::size_t>((*directory)[index].size);
    out[entry].assign(all.begin() + static_cast<std::ptrdiff_t>(at), all.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }
  return out;
}

std::vector<Bytes> ReadIconEntriesInPlace(const PipelineContext& context, const WorkFolder& work,
                                          const std::string& packagePath, const std::vector<std::string>& entries,
                                          std::uint64_t maxEach) {
  std::vector<Bytes> out(entries.size());
  const FileView package(packagePath);
  const std::optional<std::vector<ZipDirectoryEntry>> directory = ReadZipDirectory(package.bytes());
  if (!directory) return out;
  for (std::size_t i = 0; i < entries.size() && ImportGoesOn(); ++i) {
    const std::string stored = StoredName(entries[i]);
    const auto found = std::find_if(directory->begin(), directory->end(),
                                    [&stored](const ZipDirectoryEntry& e) { return e.name == stored; });
    if (found == directory->end()) continue;
    std::optional<Bytes> bytes = ReadZipEntry(package.bytes(), *found, maxEach);
    if (bytes) out[i] = KeepOrConvertEntry(context, work, entries[i], std::move(*bytes));
  }
  return out;
}

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
  return KeepOrConvertEntry(context, work, entry,
                            RunEntryOutput(context, kUnzipTool, "-p " + quotedPackage + " \"" + entry + "\"", listedSize));
}

Bytes KeepOrConvertEntry(const PipelineContext& context, const WorkFolder& work, const std::string& entry, Bytes icon) {
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
    context.report(IconReason::Refused, Because("an unsafe entry name"));
    return {};
  }
  const ZipEntryListing listed = ListZipEntry(packagePath, entry);
  if (listed.presence == EntryPresence::TooLarge) context.report(IconReason::Damaged);
  if (listed.presence != EntryPresence::Fits) return {};
  return ReadIconEntry(context, work, quotedPackage, entry, listed.size);
}
