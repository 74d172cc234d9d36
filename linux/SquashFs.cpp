#include "linux/SquashFs.h"

#include <algorithm>

#include <lz4.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include "linux/LinuxIconChoice.h"
#include "support/ByteReader.h"

namespace {

constexpr std::size_t kSuperblockBytes = 96;
// A metadata block unpacks to 8 KiB at most; its 16-bit header says how
// many bytes it takes in the image and whether they are stored as they are.
constexpr std::size_t kMetadataBytes = 8192;
constexpr std::uint16_t kMetadataStored = 0x8000;
// A data block's or fragment's size word: its low 24 bits the bytes it
// takes, this bit set when they are stored as they are.
constexpr std::uint32_t kBlockStored = 1u << 24;
constexpr std::uint32_t kNoFragment = 0xFFFFFFFF;
// Unpacked metadata kept at once; past it the cache starts again.
constexpr std::size_t kMaxCachedMetadata = 64u << 20;
// A link's target is a path: PATH_MAX.
constexpr std::uint32_t kMaxLinkTarget = 4096;
// A folder's listing groups at most 256 entries under one header.
constexpr std::uint32_t kMaxGroupEntries = 256;

enum Compressor : std::uint16_t { kGzip = 1, kLzma = 2, kLzo = 3, kXz = 4, kLz4 = 5, kZstd = 6 };

enum InodeType : std::uint16_t {
  kFolder = 1, kFile = 2, kLink = 3, kLongFolder = 8, kLongFile = 9, kLongLink = 10,
};

// liblzma's streaming decoder over one buffer: the LZMA "alone" format of
// old images or the xz format.
bool LzmaDecode(ByteSpan in, std::size_t maxOut, Bytes& out, bool alone) {
  lzma_stream stream = LZMA_STREAM_INIT;
  const std::uint64_t memory = 128u << 20;
  if ((alone ? lzma_alone_decoder(&stream, memory) : lzma_stream_decoder(&stream, memory, 0)) != LZMA_OK) return false;
  out.resize(maxOut);
  stream.next_in = in.data();
  stream.avail_in = in.size();
  stream.next_out = out.data();
  stream.avail_out = out.size();
  const lzma_ret ret = lzma_code(&stream, LZMA_FINISH);
  out.resize(out.size() - stream.avail_out);
  lzma_end(&stream);
  return ret == LZMA_STREAM_END;
}

}  // namespace

struct SquashFsImage::Inode {
  std::uint16_t type = 0;
  // A folder: where its listing starts in the folder table, and its size
  // (3 more than the listing, for "." and "..").
  Position listing{};
  std::uint64_t listingSize = 0;
  // A file: its first block, its size and fragment, and where its block
  // sizes start in the inode table.
  std::uint64_t blocksStart = 0, size = 0;
  std::uint32_t fragment = kNoFragment, fragmentOffset = 0;
  Position blockSizes{};
  // A link.
  std::string target;

  bool folder() const { return type == kFolder || type == kLongFolder; }
  bool file() const { return type == kFile || type == kLongFile; }
  bool link() const { return type == kLink || type == kLongLink; }
};

SquashFsImage::SquashFsImage(ByteSpan image) : image_(image) {
  ByteReader r(image);
  if (image.size() < kSuperblockBytes || r.textAt(0, 4) != "hsqs" || r.u16leAt(28) != 4) return;
  blockSize_ = r.u32leAt(12);
  fragments_ = r.u32leAt(16);
  compressor_ = r.u16leAt(20);
  const std::uint16_t blockLog = r.u16leAt(22);
  rootInode_ = r.u64leAt(32);
  used_ = r.u64leAt(40);
  inodeTable_ = r.u64leAt(64);
  folderTable_ = r.u64leAt(72);
  fragmentTable_ = r.u64leAt(80);
  if (blockLog < 12 || blockLog > 20 || blockSize_ != 1u << blockLog) return;
  if (used_ < kSuperblockBytes || used_ > image.size()) return;
  if (inodeTable_ < kSuperblockBytes || inodeTable_ >= folderTable_ || folderTable_ >= used_) return;
  if (fragments_ != 0 && (fragmentTable_ >= used_ || !MadSizesValid((fragments_ + 511) / 512, 8, fragmentTable_, used_)))
    return;
  image_ = image.first(used_);
  if (compressor_ == kLzo || compressor_ < kGzip || compressor_ > kZstd) {
    state_ = compressor_ == kLzo ? SquashFsEnd::Unsupported : SquashFsEnd::Damaged;
    return;
  }
  Inode root;
  if (readInode(rootInode_, root) && root.folder()) state_ = SquashFsEnd::Complete;
}

bool SquashFsImage::decompress(ByteSpan in, std::size_t maxOut, Bytes& out) const {
  out.clear();
  switch (compressor_) {
    case kGzip: {
      out.resize(maxOut);
      uLongf size = static_cast<uLongf>(maxOut);
      if (uncompress(out.data(), &size, in.data(), static_cast<uLong>(in.size())) != Z_OK) return false;
      out.resize(size);
      return true;
    }
    case kLzma: return LzmaDecode(in, maxOut, out, true);
    case kXz: return LzmaDecode(in, maxOut, out, false);
    case kLz4: {
      out.resize(maxOut);
      const int size = LZ4_decompress_safe(reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(out.data()),
                                           static_cast<int>(in.size()), static_cast<int>(maxOut));
      if (size < 0) return false;
      out.resize(static_cast<std::size_t>(size));
      return true;
    }
    case kZstd: {
      out.resize(maxOut);
      const std::size_t size = ZSTD_decompress(out.data(), maxOut, in.data(), in.size());
      if (ZSTD_isError(size)) return false;
      out.resize(size);
      return true;
    }
    default: return false;
  }
}

// The unpacked metadata block at this place in the image, and where the
// next one starts; nullptr when it is damaged or empty.
const Bytes* SquashFsImage::metadataBlock(std::uint64_t at, std::uint64_t& next) {
  if (auto found = metadata_.find(at); found != metadata_.end()) {
    next = found->second.second;
    return &found->second.first;
  }
  ByteReader r(image_);
  const std::uint16_t header = r.u16leAt(at);
  const std::size_t stored = header & ~kMetadataStored;
  const ByteSpan bytes = r.bytesAt(at + 2, stored);
  if (!r.ok() || stored == 0 || stored > kMetadataBytes) return nullptr;
  Bytes block;
  if (header & kMetadataStored) block.assign(bytes.begin(), bytes.end());
  else if (!decompress(bytes, kMetadataBytes, block)) return nullptr;
  if (block.empty()) return nullptr;
  if (cachedBytes_ > kMaxCachedMetadata) {
    metadata_.clear();
    cachedBytes_ = 0;
  }
  cachedBytes_ += block.size();
  next = at + 2 + stored;
  return &metadata_.emplace(at, std::make_pair(std::move(block), next)).first->second.first;
}

// n bytes of the metadata table at tableStart from at on, across blocks;
// at moves past them.
bool SquashFsImage::readMetadata(std::uint64_t tableStart, Position& at, std::size_t n, Bytes& out) {
  out.clear();
  while (out.size() < n) {
    if (!AddSizesValid(tableStart, at.block, used_)) return false;
    std::uint64_t next = 0;
    const Bytes* block = metadataBlock(tableStart + at.block, next);
    if (!block || at.offset > block->size()) return false;
    if (at.offset == block->size()) {
      at = {next - tableStart, 0};
      continue;
    }
    const std::size_t take = std::min<std::size_t>(n - out.size(), block->size() - at.offset);
    out.insert(out.end(), block->begin() + at.offset, block->begin() + at.offset + take);
    at.offset += static_cast<std::uint32_t>(take);
  }
  return true;
}

bool SquashFsImage::readInode(std::uint64_t reference, Inode& inode) {
  Position at{reference >> 16, static_cast<std::uint32_t>(reference & 0xFFFF)};
  Bytes bytes;
  if (!readMetadata(inodeTable_, at, 16, bytes)) return false;
  inode = {};
  inode.type = ByteReader(bytes).u16leAt(0);
  switch (inode.type) {
    case kFolder: {
      if (!readMetadata(inodeTable_, at, 16, bytes)) return false;
      ByteReader r(bytes);
      inode.listing = {r.u32leAt(0), r.u16leAt(10)};
      inode.listingSize = r.u16leAt(8);
      return true;
    }
    case kLongFolder: {
      if (!readMetadata(inodeTable_, at, 24, bytes)) return false;
      ByteReader r(bytes);
      inode.listing = {r.u32leAt(8), r.u16leAt(18)};
      inode.listingSize = r.u32leAt(4);
      return true;
    }
    case kFile: {
      if (!readMetadata(inodeTable_, at, 16, bytes)) return false;
      ByteReader r(bytes);
      inode.blocksStart = r.u32leAt(0);
      inode.fragment = r.u32leAt(4);
      inode.fragmentOffset = r.u32leAt(8);
      inode.size = r.u32leAt(12);
      inode.blockSizes = at;
      return true;
    }
    case kLongFile: {
      if (!readMetadata(inodeTable_, at, 40, bytes)) return false;
      ByteReader r(bytes);
      inode.blocksStart = r.u64leAt(0);
      inode.size = r.u64leAt(8);
      inode.fragment = r.u32leAt(28);
      inode.fragmentOffset = r.u32leAt(32);
      inode.blockSizes = at;
      return true;
    }
    case kLink:
    case kLongLink: {
      if (!readMetadata(inodeTable_, at, 8, bytes)) return false;
      const std::uint32_t size = ByteReader(bytes).u32leAt(4);
      if (size == 0 || size > kMaxLinkTarget || !readMetadata(inodeTable_, at, size, bytes)) return false;
      inode.target.assign(bytes.begin(), bytes.end());
      inode.size = size;
      return true;
    }
    default: return inode.type >= 4 && inode.type <= 14;  // devices, pipes, sockets: nothing to read
  }
}

SquashFsEnd SquashFsImage::list(const std::function<bool(std::string_view)>& descend,
                                const std::function<bool()>& keepGoing, std::vector<ArchiveEntry>& out,
                                const SquashFsLimits& limits) {
  if (state_ != SquashFsEnd::Complete) return state_;
  Inode root;
  bool cancelled = false;
  foldersSeen_ = {rootInode_};
  entriesSeen_ = 0;
  if (!readInode(rootInode_, root) || !listFolder(root, "", 0, limits, descend, keepGoing, out, cancelled))
    return cancelled ? SquashFsEnd::Cancelled : SquashFsEnd::Damaged;
  return SquashFsEnd::Complete;
}

// Calls visit with the name and inode reference of each entry of a
// folder's listing (groups of entries, each led by the inode table block
// its entries' inodes lie in) until visit says to stop. False when the
// listing is damaged or seen passes maxEntries.
bool SquashFsImage::eachEntry(const Inode& folder, std::size_t& seen, std::size_t maxEntries,
                              const std::function<bool(const std::string&, std::uint64_t)>& visit) {
  Position at = folder.listing;
  std::uint64_t left = folder.listingSize > 3 ? folder.listingSize - 3 : 0;
  Bytes bytes;
  while (left > 0) {
    if (left < 12 || !readMetadata(folderTable_, at, 12, bytes)) return false;
    left -= 12;
    ByteReader group(bytes);
    const std::uint32_t count = group.u32leAt(0) + 1, inodeBlock = group.u32leAt(4);
    if (count > kMaxGroupEntries) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (left < 8 || !readMetadata(folderTable_, at, 8, bytes)) return false;
      ByteReader entry(bytes);
      const std::uint16_t offset = entry.u16leAt(0), nameSize = entry.u16leAt(6) + 1;
      if (left - 8 < nameSize || !readMetadata(folderTable_, at, nameSize, bytes)) return false;
      left -= 8 + nameSize;
      const std::string name(bytes.begin(), bytes.end());
      if (name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return false;
      if (++seen > maxEntries) return false;
      if (!visit(name, std::uint64_t{inodeBlock} << 16 | offset)) return true;
    }
  }
  return true;
}

bool SquashFsImage::listFolder(const Inode& folder, const std::string& path, int depth, const SquashFsLimits& limits,
                               const std::function<bool(std::string_view)>& descend,
                               const std::function<bool()>& keepGoing, std::vector<ArchiveEntry>& out,
                               bool& cancelled) {
  if (!keepGoing()) {
    cancelled = true;
    return false;
  }
  bool ok = true;
  const bool listed = eachEntry(folder, entriesSeen_, limits.maxEntries, [&](const std::string& name, std::uint64_t reference) {
    const std::string childPath = path.empty() ? name : path + "/" + name;
    Inode child;
    ok = readInode(reference, child);
    if (!ok) return false;
    listed_.emplace(childPath, reference);
    if (child.folder()) {
      if (depth >= limits.maxDepth || !descend(childPath) || !foldersSeen_.insert(reference).second) return true;
      ok = listFolder(child, childPath, depth + 1, limits, descend, keepGoing, out, cancelled);
    } else if (child.file() || child.link()) {
      out.push_back({.path = childPath, .size = child.size, .packedSize = child.size,
                     .symbolicLink = child.link(), .linkTarget = child.target});
    }
    return ok;
  });
  return listed && ok;
}

// The inode reference of a package path: a listed one, else found folder
// by folder from the root.
bool SquashFsImage::lookup(std::string_view path, std::uint64_t& reference) {
  if (const auto found = listed_.find(std::string(path)); found != listed_.end()) {
    reference = found->second;
    return true;
  }
  if (state_ != SquashFsEnd::Complete || path.empty()) return false;
  reference = rootInode_;
  std::size_t seen = 0;
  while (!path.empty()) {
    const std::string_view name = path.substr(0, path.find('/'));
    path.remove_prefix(std::min(path.size(), name.size() + 1));
    Inode folder;
    bool found = false;
    if (!readInode(reference, folder) || !folder.folder()) return false;
    if (!eachEntry(folder, seen, kMaxArchiveEntries, [&](const std::string& entry, std::uint64_t child) {
          if (entry != name) return true;
          reference = child;
          found = true;
          return false;
        }) || !found)
      return false;
  }
  return true;
}

// Where fragment block index lies, and its size word.
bool SquashFsImage::fragment(std::uint32_t index, std::uint64_t& start, std::uint32_t& size) {
  if (index >= fragments_) return false;
  ByteReader r(image_);
  const std::uint64_t table = r.u64leAt(fragmentTable_ + std::uint64_t{index / 512} * 8);
  Position at{0, (index % 512) * 16};
  Bytes bytes;
  if (!r.ok() || !readMetadata(table, at, 16, bytes)) return false;
  ByteReader entry(bytes);
  start = entry.u64leAt(0);
  size = entry.u32leAt(8);
  return true;
}

// A data block or fragment block: stored bytes at the place, unpacked to
// at most maxOut bytes.
bool SquashFsImage::readBlock(std::uint64_t at, std::uint32_t stored, std::size_t maxOut, Bytes& out) const {
  const std::uint32_t size = stored & (kBlockStored - 1);
  if (!AddSizesValid(at, size, used_)) return false;
  const ByteSpan bytes = image_.subspan(at, size);
  if (stored & kBlockStored) {
    if (size > maxOut) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
  }
  return decompress(bytes, maxOut, out);
}

Bytes SquashFsImage::read(std::string_view packagePath, std::uint64_t maxBytes) {
  std::uint64_t reference = 0;
  Inode inode;
  if (!lookup(packagePath, reference) || !readInode(reference, inode) || inode.size > maxBytes) return {};
  if (inode.link()) return Bytes(inode.target.begin(), inode.target.end());
  return fileBytes(inode);
}

Bytes SquashFsImage::readFollowingLinks(std::string packagePath, std::uint64_t maxBytes) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    std::uint64_t reference = 0;
    Inode inode;
    if (!lookup(packagePath, reference) || !readInode(reference, inode)) return {};
    if (!inode.link()) return inode.size > maxBytes ? Bytes() : fileBytes(inode);
    packagePath = LinkDestination(packagePath, inode.target);
    if (packagePath.empty()) return {};
  }
  return {};
}

// A file's bytes: its blocks in turn (a sparse one is zeros), then its
// tail from its fragment block.
Bytes SquashFsImage::fileBytes(const Inode& inode) {
  if (!inode.file()) return {};
  const bool tail = inode.fragment != kNoFragment;
  const std::uint64_t blocks = inode.size / blockSize_ + (!tail && inode.size % blockSize_ ? 1 : 0);
  Bytes sizes;
  Position at = inode.blockSizes;
  if (!readMetadata(inodeTable_, at, blocks * 4, sizes)) return {};
  Bytes out, block;
  out.reserve(inode.size);
  std::uint64_t place = inode.blocksStart;
  for (std::uint64_t i = 0; i < blocks; ++i) {
    const std::uint32_t stored = ByteReader(sizes).u32leAt(i * 4);
    const std::size_t expected = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, inode.size - out.size()));
    if ((stored & (kBlockStored - 1)) == 0) {  // a sparse block: zeros
      out.resize(out.size() + expected);
      continue;
    }
    if (!readBlock(place, stored, expected, block) || block.size() != expected) return {};
    out.insert(out.end(), block.begin(), block.end());
    place += stored & (kBlockStored - 1);
  }
  if (tail) {
    const std::uint64_t rest = inode.size - out.size();
    std::uint64_t start = 0;
    std::uint32_t stored = 0;
    if (!fragment(inode.fragment, start, stored) || !readBlock(start, stored, blockSize_, block)) return {};
    if (!AddSizesValid(inode.fragmentOffset, rest, block.size())) return {};
    out.insert(out.end(), block.begin() + inode.fragmentOffset, block.begin() + inode.fragmentOffset + rest);
  }
  return out.size() == inode.size ? out : Bytes();
}
