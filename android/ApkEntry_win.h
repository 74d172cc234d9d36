#pragma once
// One icon entry of an Android package, read with the unzip tool: shared by
// the raster route, the drawn route and the split bundles.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/Bytes.h"
#include "tools/Pipeline.h"
#include "tools/WorkFolder_win.h"

// The bytes of one entry found outside the package (the density splits of
// a bundle hold the bitmaps its base package's resources name), already
// made a PNG; empty when there is none.
using EntryElsewhere = std::function<Bytes(const std::string& entry)>;

// What the package's directory says of an entry: absent, or present with an
// uncompressed size the program would read at all or not (a larger entry is
// never read).
enum class EntryPresence { Missing, TooLarge, Fits };
struct ZipEntryListing {
  EntryPresence presence = EntryPresence::Missing;
  std::uint64_t size = 0;  // as listed: exactly what is taken
};
// Read from the package's ZIP directory in place: no tool runs for it.
ZipEntryListing ListZipEntry(const std::string& packagePath, const std::string& entry);

// The names of the package's entries, one per line as "unzip -Z1" prints
// them; empty when its directory cannot be read.
std::string ListZipNames(const std::string& packagePath);

// Several entries of the package in one UnZip run, each exactly its size in
// the package's directory; an entry missing, refused by the guard or the
// read cap, or a run that printed other than the sizes add up to, gives
// empty bytes (for all, in the last case).
std::vector<Bytes> ReadPackageEntries(const PipelineContext& context, const std::string& packagePath,
                                      const std::vector<std::string>& entries);

// Entries read in place from the package (stored or deflated, CRC checked,
// no tool run), each kept or converted by KeepOrConvertEntry; an entry
// missing, larger than maxEach or unreadable gives empty bytes, and so does
// every entry once the import may not go on.
std::vector<Bytes> ReadIconEntriesInPlace(const PipelineContext& context, const WorkFolder& work,
                                          const std::string& packagePath, const std::vector<std::string>& entries,
                                          std::uint64_t maxEach);

// An entry's bytes kept or converted by ClassifyIconEntry (a WebP goes
// through a file the program writes in work).
Bytes KeepOrConvertEntry(const PipelineContext& context, const WorkFolder& work, const std::string& entry, Bytes icon);

// Reads an entry that passed the guard and fits the read cap (the tool
// prints it; exactly the listed size is taken), and keeps or converts it by
// ClassifyIconEntry (a WebP goes through a file the program writes in work).
Bytes ReadIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& quotedPackage,
                    const std::string& entry, std::uint64_t listedSize);

// One icon entry of an Android package as the picture's bytes: read when
// its name passes the entry guard and its listed size is within the read
// cap, then kept or converted by ClassifyIconEntry. Empty when the entry is
// missing, refused or not an image.
Bytes ExtractApkIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& packagePath,
                          const std::string& entry);
