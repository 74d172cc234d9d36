#pragma once
// A ZIP archive's central directory read in place (a package mapped into
// memory): what each entry is called and how large it is uncompressed,
// without a tool run. The sizes only decide whether a tool is run for an
// entry; what the tool prints is still held to them and to the caps.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

struct ZipDirectoryEntry {
  std::string_view name;  // as stored, into the archive's bytes
  std::uint64_t size = 0;  // uncompressed
};

// At most this many entries are read: more than any real package holds.
inline constexpr std::size_t kMaxZipDirectoryEntries = 1u << 20;

// The directory's entries in order (ZIP64 sizes and counts understood);
// nothing when the end record is missing, or the directory or an entry
// lies beyond the archive.
std::optional<std::vector<ZipDirectoryEntry>> ReadZipDirectory(ByteSpan zip);

// The uncompressed size of the first entry of that name; nothing when there
// is none or the directory is damaged.
std::optional<std::uint64_t> ZipEntrySize(ByteSpan zip, std::string_view name);
