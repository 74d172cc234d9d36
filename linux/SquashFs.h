#pragma once
// A SquashFS 4 image (a snap, the image inside an AppImage) read in place
// from its bytes: nothing is copied out or written. Only the folders the
// caller descends into are listed; a file is found folder by folder from
// the root, and its bytes are unpacked when asked for, block by block. Compressed with gzip, LZMA, xz, LZ4 or zstd;
// an image of another compressor (LZO) opens as Unsupported, for the
// caller to read some other way.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/Bytes.h"
#include "tools/ArchiveListing.h"

struct SquashFsLimits {
  std::size_t maxEntries = kMaxArchiveEntries;
  // Folders below the root a listing goes into at most.
  int maxDepth = 32;
};

enum class SquashFsEnd {
  Complete,
  Damaged,      // no SquashFS 4 image, truncated, or a table that lies
  Unsupported,  // a compressor this reader lacks
  Cancelled,    // keepGoing said no
};

class SquashFsImage {
 public:
  // image: the bytes from the superblock on; the image's stated size must
  // lie within them.
  explicit SquashFsImage(ByteSpan image);
  SquashFsImage(const SquashFsImage&) = delete;
  SquashFsImage& operator=(const SquashFsImage&) = delete;

  // Complete when the superblock, its compressor and its root folder read.
  SquashFsEnd state() const { return state_; }

  // The files and links in the root folder and in every folder below it
  // that descend accepts (by package path: "usr", "usr/share" ...),
  // depth first; paths as package paths, links with their targets.
  SquashFsEnd list(const std::function<bool(std::string_view folder)>& descend,
                   const std::function<bool()>& keepGoing, std::vector<ArchiveEntry>& out,
                   const SquashFsLimits& limits = {});

  // A file's bytes (a link's: its target), listed or not; empty when it is
  // missing, larger than maxBytes or damaged.
  Bytes read(std::string_view packagePath, std::uint64_t maxBytes);
  // The same with links followed inside the image (kMaxLinkHops at most).
  Bytes readFollowingLinks(std::string packagePath, std::uint64_t maxBytes);

 private:
  struct Position {
    std::uint64_t block;  // from the table's start
    std::uint32_t offset;
  };
  struct Inode;
  bool decompress(ByteSpan in, std::size_t maxOut, Bytes& out) const;
  const Bytes* metadataBlock(std::uint64_t at, std::uint64_t& next);
  bool readMetadata(std::uint64_t tableStart, Position& at, std::size_t n, Bytes& out);
  bool readInode(std::uint64_t reference, Inode& inode);
  bool eachEntry(const Inode& folder, std::size_t& seen, std::size_t maxEntries,
                 const std::function<bool(const std::string& name, std::uint64_t reference)>& visit);
  bool lookup(std::string_view path, std::uint64_t& reference);
  Bytes fileBytes(const Inode& inode);
  bool listFolder(const Inode& folder, const std::string& path, int depth, const SquashFsLimits& limits,
                  const std::function<bool(std::string_view)>& descend, const std::function<bool()>& keepGoing,
                  std::vector<ArchiveEntry>& out, bool& cancelled);
  bool fragment(std::uint32_t index, std::uint64_t& start, std::uint32_t& size);
  bool readBlock(std::uint64_t at, std::uint32_t stored, std::size_t expected, Bytes& out) const;

  ByteSpan image_;
  SquashFsEnd state_ = SquashFsEnd::Damaged;
  std::uint16_t compressor_ = 0;
  std::uint32_t blockSize_ = 0;
  std::uint32_t fragments_ = 0;
  std::uint64_t rootInode_ = 0, used_ = 0, inodeTable_ = 0, folderTable_ = 0, fragmentTable_ = 0;
  // Unpacked metadata blocks by their place in the image, and what they
  // hold together (the cache empties past its cap).
  std::unordered_map<std::uint64_t, std::pair<Bytes, std::uint64_t>> metadata_;
  std::size_t cachedBytes_ = 0;
  std::unordered_set<std::uint64_t> foldersSeen_;
  std::size_t entriesSeen_ = 0;
  std::unordered_map<std::string, std::uint64_t> listed_;  // package path: inode reference
};
