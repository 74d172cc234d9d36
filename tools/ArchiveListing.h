#pragma once
// 7-Zip's technical listing ("l -slt"), the one form in which the pipelines
// learn what an archive holds. The archive's own block (its path, type and
// size) comes first, then a "----------" line, then a block per entry:
//   Path = Payload\Foo.app\AppIcon60x60@2x.png
//   Folder = -
//   Size = 38497
//   Packed Size = 38120
//   ...
// each ended by an empty line. Names are printed as stored, so a name holding
// a line break prints lines of its own; the rules below keep such a name from
// making a real entry look smaller than it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ArchiveEntry {
  std::string path;                       // as listed: '\' between folders
  std::uint64_t size = UINT64_MAX;        // uncompressed; UINT64_MAX when the listing gives no number
  std::uint64_t packedSize = UINT64_MAX;  // as stored; UINT64_MAX when the listing gives no number
  // A symbolic link (a Unix "Mode = l...", a ZIP's "Attributes = ...
  // lrwxrwxrwx", or a "Symbolic Link" line) and
  // its target where the listing prints it (tar, cpio); a SquashFS link's
  // bytes are its target instead. A tar hard link counts as a link to its
  // file, its target made absolute ("/./usr/...").
  bool symbolicLink = false;
  std::string linkTarget;
};

// Which entries a caller keeps, by their listed path; nullptr keeps all.
using ArchiveEntryFilter = bool (*)(std::string_view path);

// Archives of real packages hold tens of thousands of files; a listing never
// makes more entries than this, whatever it holds.
inline constexpr std::size_t kMaxArchiveEntries = 1u << 20;

// The file entries of the listing (folders left out), in listing order, at
// most maxEntries of those keep accepts. A path listed twice is kept once,
// at its first place, with the larger of its sizes. The last "Size" line of
// a block counts, as 7-Zip prints the real one after the name.
std::vector<ArchiveEntry> ParseArchiveListing(std::string_view listing, ArchiveEntryFilter keep = nullptr,
                                              std::size_t maxEntries = kMaxArchiveEntries);
