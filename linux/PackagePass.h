#pragma once
// A .deb or an .rpm read in one streaming pass, in process, with libarchive:
// the ar archive's control.tar.* and data.tar.* (each opened as tar through
// the one decompressor its name says), or the rpm's payload (opened as cpio
// through whichever decompressor its header leads to). Nothing is written
// to disk: the pass lists every entry and keeps, in memory, the bytes of
// the entries the caller asks for.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/Bytes.h"
#include "tools/ArchiveListing.h"

struct PassLimits {
  // Bytes of the unpacked data archive a pass goes through at most (a
  // decompression bomb stops here).
  std::uint64_t maxPassedBytes = 1ull << 30;
  // Bytes kept in memory at most, all entries together, and one entry.
  std::uint64_t maxKeptBytes = 256u << 20;
  std::uint64_t maxEntryBytes = 64u << 20;
  std::size_t maxEntries = kMaxArchiveEntries;
};

struct PassRules {
  // Whether to keep the bytes of the file at this package path
  // ("usr/share/pixmaps/x.png") of the given size.
  std::function<bool(std::string_view packagePath, std::uint64_t size)> keep;
  // Asked now and then while the pass runs; false ends it (cancelled).
  std::function<bool()> keepGoing = [] { return true; };
  PassLimits limits;
  // A .deb's control file only: the pass ends before the data archive.
  bool controlOnly = false;
};

enum class PassEnd {
  Complete,
  Damaged,    // not a package of its kind, truncated, or beyond a limit
  Cancelled,  // keepGoing said no
};

struct PackageContents {
  // Files and links in archive order (folders left out); paths as stored
  // ("./usr/share/..."), a hard link as a link to "/" + its file's path.
  std::vector<ArchiveEntry> entries;
  // The kept files' bytes by package path. An entry that was asked for but
  // went beyond a size limit is listed and not kept, and so is an empty one.
  std::unordered_map<std::string, Bytes> kept;
  // A .deb's control file ("Package:", "Depends:" ...), when it has one.
  std::string control;
};

PassEnd ReadDebPackage(ByteSpan file, const PassRules& rules, PackageContents& out);
// The floor of any pass over a .deb: its data archive unpacked as the pass
// unpacks it, and thrown away; the bytes unpacked (0 when it cannot be).
std::uint64_t UnpackDebDataArchive(ByteSpan file);
PassEnd ReadRpmPackage(ByteSpan file, const PassRules& rules, PackageContents& out);
