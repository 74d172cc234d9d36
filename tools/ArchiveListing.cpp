#include "tools/ArchiveListing.h"

#include <unordered_map>

#include "support/TextScan.h"

namespace {

// The text after "Key = " on a line of the listing.
bool FieldValue(std::string_view line, std::string_view key, std::string_view& value) {
  if (line.size() < key.size() + 3 || !line.starts_with(key) || line.substr(key.size(), 3) != " = ") return false;
  value = line.substr(key.size() + 3);
  return true;
}

std::uint64_t ListedNumber(std::string_view value) { return ParseDecimal(value).value_or(UINT64_MAX); }

}  // namespace

std::vector<ArchiveEntry> ParseArchiveListing(std::string_view listing, ArchiveEntryFilter keep,
                                              std::size_t maxEntries) {
  std::vector<ArchiveEntry> entries;
  // Paths point into the listing, which outlives the parse: no second copy.
  std::unordered_map<std::string_view, std::size_t> byPath;
  std::string_view path;
  ArchiveEntry current;
  bool inEntry = false, folder = false;
  const auto finish = [&] {
    const bool file = inEntry && !folder && !path.empty() && path.back() != '\\' && path.back() != '/';
    inEntry = false;
    if (!file || (keep && !keep(path))) return;
    if (const auto found = byPath.find(path); found != byPath.end()) {
      ArchiveEntry& kept = entries[found->second];
      if (current.size > kept.size) kept.size = current.size;
      if (current.packedSize > kept.packedSize) kept.packedSize = current.packedSize;
      return;
    }
    if (entries.size() >= maxEntries) return;
    byPath.emplace(path, entries.size());
    current.path = path;
    entries.push_back(std::move(current));
  };
  bool pastHeader = false;
  while (!listing.empty()) {
    const std::string_view line = NextLine(listing);
    if (!pastHeader) {
      pastHeader = line == "----------";
      continue;
    }
    std::string_view value;
    if (line.empty()) {
      finish();
    } else if (FieldValue(line, "Path", value)) {
      finish();
      path = value;
      current = {};
      inEntry = true;
      folder = false;
    } else if (!inEntry) {
      continue;
    } else if (FieldValue(line, "Folder", value)) {
      folder = value != "-";
    } else if (FieldValue(line, "Attributes", value)) {
      // A ZIP made on Unix: the Windows letters, then the Unix mode.
      const std::size_t blank = value.rfind(' ');
      const std::string_view mode = blank == std::string_view::npos ? std::string_view() : value.substr(blank + 1);
      current.symbolicLink = mode.size() == 10 && mode.front() == 'l';
    } else if (FieldValue(line, "Mode", value)) {
      // Unix archives (tar, cpio, SquashFS) give the file type this way.
      if (value.starts_with('d')) folder = true;
      current.symbolicLink = value.starts_with('l');
    } else if (FieldValue(line, "Symbolic Link", value) && !value.empty()) {
      current.symbolicLink = true;
      current.linkTarget = value;
    } else if (FieldValue(line, "Hard Link", value) && !value.empty()) {
      // A tar hard link names its file from the archive's root.
      current.symbolicLink = true;
      current.linkTarget = "/" + std::string(value);
    } else if (FieldValue(line, "Size", value)) {
      current.size = ListedNumber(value);
    } else if (FieldValue(line, "Packed Size", value)) {
      current.packedSize = ListedNumber(value);
    }
  }
  finish();
  return entries;
}
