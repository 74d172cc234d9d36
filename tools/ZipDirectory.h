#pragma once
// A ZIP archive's central directory read in place (a package mapped into
// memory): what each entry is called and how large it is uncompressed,
// without a tool run. The sizes only decide whether a tool is run for an
// entry; what the tool prints is still held to them and to the caps. An
// entry stored or deflated can also be read in place (ReadZipEntry), for
// archives of few entries read whole, such as a browser extension.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

struct ZipDirectoryEntry {
  std::string_view name;  // as stored, into the archive's bytes
  std::uint64_t size = 0;  // uncompressed
  // Where its data lies and how it is stored, for ReadZipEntry.
  std::uint64_t compressedSize = 0;
  std::uint64_t localHeader = 0;  // the offset of its local header
  std::uint16_t method = 0;       // 0 stored, 8 deflated
  std::uint16_t flags = 0;        // bit 0: encrypted
  std::uint32_t crc = 0;
  bool symbolicLink = false;  // made on Unix with a link's mode
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

// The entry's bytes, inflated when deflated, checked against their CRC.
// Nothing when the entry is larger than maxBytes (nothing is read then), is
// encrypted or stored another way, lies beyond the archive, or does not
// inflate to its size.
std::optional<Bytes> ReadZipEntry(ByteSpan zip, const ZipDirectoryEntry& entry, std::uint64_t maxBytes);
