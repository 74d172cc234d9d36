#pragma once
// The one way a pipeline reads an archive with 7-Zip: list it, then have the
// tool print one entry, taking exactly its listed size. Callers get bytes,
// or a file the program wrote under a name of their own choosing; the tool
// writes no file at all.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/Bytes.h"
#include "tools/ArchiveListing.h"
#include "tools/Pipeline.h"
#include "tools/WorkFolder_win.h"

// The text entry paths are kept in. 7-Zip prints UTF-8 (-sccUTF-8). Narrow:
// the listing is converted to the process's narrow text at once, the form of
// every other text of the program, and paths go on the command line as they
// are. Utf8: paths stay as printed, to be matched against names from UTF-8
// documents (a package manifest), and are converted only for the command
// line.
enum class EntryText { Narrow, Utf8 };

struct ArchiveSource {
  std::string path;                      // the archive file
  // "-tzip": the only reader 7-Zip may use. Always given, so that a crafted
  // file never steers the tool into another format's reader.
  std::string typeSwitch;
  EntryText text = EntryText::Narrow;
};

// The archive's entries as ParseArchiveListing gives them; empty when the
// tool could not read it.
std::vector<ArchiveEntry> ListArchive(const PipelineContext& context, const ArchiveSource& archive,
                                      ArchiveEntryFilter keep = nullptr, std::size_t maxEntries = kMaxArchiveEntries);

// The entry's bytes (entry.path as listed). Empty when its name fails the
// entry guard or its listed size is above maxBytes or kMaxReadBytes
// (nothing runs then), or when the tool prints other than exactly the
// listed size (a name stored twice prints twice).
Bytes ReadArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                       std::uint64_t maxBytes);

// An inner package or archive a tool must open as a file is written out up
// to this size at most.
inline constexpr std::uint64_t kMaxInnerArchiveBytes = 1ull << 30;

// For an inner package other tools open as a file: the entry, refused as
// ReadArchiveEntry refuses it (but for kMaxReadBytes), is streamed into
// work.file(fileName) (fileName a plain name, no file of that name there
// yet), charged to the import's byte budget. That path, or empty when
// nothing was placed.
std::string PlaceArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                              std::uint64_t maxBytes, const WorkFolder& work, const std::string& fileName);

// The archive 7-Zip reaches through the archive's chain of types in one run
// (typeSwitch "-t*.ar": a .deb's data archive, unpacked from its xz, gzip or
// zstd on the way), streamed into work.file(fileName) as PlaceArchiveEntry
// does, up to maxBytes. That path, or empty when nothing was placed.
std::string PlaceInnerArchive(const PipelineContext& context, const ArchiveSource& archive, std::uint64_t maxBytes,
                              const WorkFolder& work, const std::string& fileName);
