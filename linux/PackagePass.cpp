#include "linux/PackagePass.h"

#include <archive.h>
#include <archive_entry.h>
#include <lzma.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "linux/LinuxIconChoice.h"

namespace {

struct ArchiveFree {
  void operator()(archive* a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, ArchiveFree>;

// Each reader the pass allows is asked for by name and must be built in:
// libarchive otherwise falls back to running an external program, which
// this program never does.
bool Support(int result) { return result == ARCHIVE_OK; }

// The compressor an ar member's name says ("data.tar.xz" after "data.tar"),
// made the only one the inner archive may use; false for a name no Debian
// tool writes.
bool SupportCompressorNamed(archive* a, std::string_view suffix) {
  if (suffix.empty()) return true;
  if (suffix == ".gz") return Support(archive_read_support_filter_gzip(a));
  if (suffix == ".xz") return Support(archive_read_support_filter_xz(a));
  if (suffix == ".zst") return Support(archive_read_support_filter_zstd(a));
  if (suffix == ".bz2") return Support(archive_read_support_filter_bzip2(a));
  if (suffix == ".lzma") return Support(archive_read_support_filter_lzma(a));
  return false;
}

// One tar or cpio archive read entry by entry.
class EntryWalk {
 public:
  EntryWalk(archive* a, const PassRules& rules, PackageContents& out) : a_(a), rules_(rules), out_(out) {}

  PassEnd run() {
    archive_entry* entry = nullptr;
    for (;;) {
      if (!rules_.keepGoing()) return PassEnd::Cancelled;
      const int result = archive_read_next_header(a_, &entry);
      if (result == ARCHIVE_EOF) return PassEnd::Complete;
      if (result < ARCHIVE_WARN || ++entries_ > rules_.limits.maxEntries) return PassEnd::Damaged;
      const PassEnd end = take(entry);
      if (end != PassEnd::Complete) return end;
    }
  }

 private:
  PassEnd take(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    if (!name) name = archive_entry_pathname_utf8(entry);
    if (!name) return PassEnd::Damaged;
    ArchiveEntry listed;
    listed.path = name;
    const la_int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    if (size < 0 || !within(std::uint64_t(size))) return PassEnd::Damaged;
    listed.size = std::uint64_t(size);
    if (const char* file = archive_entry_hardlink(entry)) {
      listed.symbolicLink = true;
      listed.linkTarget = std::string("/") + file;
    } else if (archive_entry_filetype(entry) == AE_IFLNK) {
      const char* target = archive_entry_symlink(entry);
      listed.symbolicLink = true;
      listed.linkTarget = target ? target : "";
    } else if (archive_entry_filetype(entry) != AE_IFREG) {
      return drain();
    }
    const std::string path = PackagePath(listed.path);
    // An empty file is never kept: its bytes are none whether kept or not.
    const bool wanted = !listed.symbolicLink && listed.size > 0 && !path.empty() && rules_.keep &&
                        rules_.keep(path, listed.size) && listed.size <= rules_.limits.maxEntryBytes &&
                        listed.size <= keptRoom_;
    out_.entries.push_back(std::move(listed));
    if (!wanted) return drain();
    Bytes bytes(static_cast<std::size_t>(size));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      if (!rules_.keepGoing()) return PassEnd::Cancelled;
      const la_ssize_t got = archive_read_data(a_, bytes.data() + filled, std::min<std::size_t>(bytes.size() - filled, 1u << 20));
      if (got <= 0) return PassEnd::Damaged;
      filled += std::size_t(got);
    }
    keptRoom_ -= bytes.size();
    out_.kept[path] = std::move(bytes);
    return drain();
  }

  // Goes through the rest of the entry's data (it must be unpacked to reach
  // the next entry), asking whether to go on as it goes.
  PassEnd drain() {
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
      const int result = archive_read_data_block(a_, &block, &size, &offset);
      if (result == ARCHIVE_EOF) return PassEnd::Complete;
      if (result < ARCHIVE_WARN) return PassEnd::Damaged;
      if (!within(0)) return PassEnd::Damaged;
      if (!rules_.keepGoing()) return PassEnd::Cancelled;
    }
  }

  // Whether the pass, with more bytes still to come, stays within its cap.
  bool within(std::uint64_t more) const {
    const la_int64_t passed = archive_filter_bytes(a_, 0);
    return passed >= 0 && std::uint64_t(passed) <= rules_.limits.maxPassedBytes &&
           more <= rules_.limits.maxPassedBytes - std::uint64_t(passed);
  }

  archive* a_;
  const PassRules& rules_;
  PackageContents& out_;
  std::size_t entries_ = 0;
  std::uint64_t keptRoom_ = rules_.limits.maxKeptBytes;
};

// The inner archive reads the outer one's current entry as its stream.
la_ssize_t ReadOuterEntry(archive*, void* outer, const void** buffer) {
  std::size_t size = 0;
  la_int64_t offset = 0;
  const int result = archive_read_data_block(static_cast<archive*>(outer), buffer, &size, &offset);
  if (result == ARCHIVE_EOF) return 0;
  if (result < ARCHIVE_WARN) return -1;
  return la_ssize_t(size);
}

// An xz member decoded on several threads as the inner archive reads it:
// Debian's data.tar.xz is written in many blocks, which decode side by side
// (libarchive's own xz reader uses one thread). A stream that needs more
// memory than kXzMemoryStop (a hostile dictionary size) is refused, so the
// decoder stays well inside the memory one import may use.
class XzMember {
 public:
  static constexpr std::uint64_t kXzMemoryStop = 256u << 20;

  explicit XzMember(archive* outer) : outer_(outer) {}
  ~XzMember() { lzma_end(&stream_); }
  XzMember(const XzMember&) = delete;
  XzMember& operator=(const XzMember&) = delete;

  bool start() {
    lzma_mt options{};
    options.threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    options.memlimit_threading = 192u << 20;
    options.memlimit_stop = kXzMemoryStop;
    return lzma_stream_decoder_mt(&stream_, &options) == LZMA_OK;
  }

  static la_ssize_t Read(archive*, void* self, const void** buffer) { return static_cast<XzMember*>(self)->read(buffer); }

 private:
  la_ssize_t read(const void** buffer) {
    stream_.next_out = out_.data();
    stream_.avail_out = out_.size();
    while (stream_.avail_out == out_.size() && !ended_) {
      if (stream_.avail_in == 0 && !inputEnded_) {
        std::size_t size = 0;
        la_int64_t offset = 0;
        const void* block = nullptr;
        const int result = archive_read_data_block(outer_, &block, &size, &offset);
        if (result == ARCHIVE_EOF) inputEnded_ = true;
        else if (result < ARCHIVE_WARN) return -1;
        stream_.next_in = static_cast<const std::uint8_t*>(block);
        stream_.avail_in = result == ARCHIVE_EOF ? 0 : size;
      }
      const lzma_ret result = lzma_code(&stream_, inputEnded_ ? LZMA_FINISH : LZMA_RUN);
      if (result == LZMA_STREAM_END) ended_ = true;
      else if (result != LZMA_OK) return -1;  // damaged, truncated, or beyond the memory stop
    }
    *buffer = out_.data();
    return la_ssize_t(out_.size() - stream_.avail_out);
  }

  archive* outer_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  std::vector<std::uint8_t> out_ = std::vector<std::uint8_t>(1u << 20);
  bool inputEnded_ = false, ended_ = false;
};

// The ar member the outer archive stands at, opened through the compressor
// its name after the stem says, in the given format.
Archive OpenMember(archive* outer, std::string_view suffix, XzMember& xz, int (*format)(archive*)) {
  Archive inner(archive_read_new());
  if (!inner || !Support(format(inner.get()))) return nullptr;
  if (suffix == ".xz") {
    if (!xz.start() || archive_read_open(inner.get(), &xz, nullptr, XzMember::Read, nullptr) != ARCHIVE_OK) return nullptr;
  } else if (!SupportCompressorNamed(inner.get(), suffix) ||
             archive_read_open(inner.get(), outer, nullptr, ReadOuterEntry, nullptr) != ARCHIVE_OK) {
    return nullptr;
  }
  return inner;
}

// The ar member the outer archive stands at, read as tar.
PassEnd ReadInnerTar(archive* outer, std::string_view suffix, const PassRules& rules, PackageContents& out) {
  XzMember xz(outer);
  const Archive inner = OpenMember(outer, suffix, xz, archive_read_support_format_tar);
  if (!inner) return PassEnd::Damaged;
  return EntryWalk(inner.get(), rules, out).run();
}

// A .deb's ar archive, opened in memory.
Archive OpenDeb(ByteSpan file) {
  Archive outer(archive_read_new());
  if (!outer || !Support(archive_read_support_format_ar(outer.get())) ||
      archive_read_open_memory(outer.get(), file.data(), file.size()) != ARCHIVE_OK)
    return nullptr;
  return outer;
}

}  // namespace

PassEnd ReadDebPackage(ByteSpan file, const PassRules& rules, PackageContents& out) {
  const Archive outer = OpenDeb(file);
  if (!outer) return PassEnd::Damaged;
  archive_entry* member = nullptr;
  bool control = false;
  for (int members = 0; members < 16; ++members) {
    const int result = archive_read_next_header(outer.get(), &member);
    if (result == ARCHIVE_EOF) break;
    if (result < ARCHIVE_WARN) return PassEnd::Damaged;
    const char* raw = archive_entry_pathname(member);
    const std::string_view name = raw ? raw : "";
    if (!control && name.starts_with("control.tar")) {
      // The control file alone, a few kilobytes of text.
      control = true;
      PassRules controlRules{.keep = [](std::string_view path, std::uint64_t) { return path == "control"; },
                             .keepGoing = rules.keepGoing,
                             .limits = {.maxPassedBytes = 64u << 20, .maxKeptBytes = 1u << 20, .maxEntryBytes = 1u << 20, .maxEntries = 4096}};
      PackageContents controlFiles;
      if (ReadInnerTar(outer.get(), name.substr(11), controlRules, controlFiles) == PassEnd::Cancelled)
        return PassEnd::Cancelled;
      const auto found = controlFiles.kept.find("control");
      if (found != controlFiles.kept.end()) out.control.assign(found->second.begin(), found->second.end());
      if (rules.controlOnly) return PassEnd::Complete;
    } else if (name.starts_with("data.tar")) {
      return ReadInnerTar(outer.get(), name.substr(8), rules, out);
    }
  }
  return PassEnd::Damaged;  // no data archive
}

PassEnd ReadRpmPackage(ByteSpan file, const PassRules& rules, PackageContents& out) {
  const Archive a(archive_read_new());
  // The rpm reader steps over the lead and the headers; the payload's
  // compressor is found by its signature, and the payload must be cpio.
  if (!a || !Support(archive_read_support_filter_rpm(a.get())) || !Support(archive_read_support_filter_gzip(a.get())) ||
      !Support(archive_read_support_filter_xz(a.get())) || !Support(archive_read_support_filter_lzma(a.get())) ||
      !Support(archive_read_support_filter_zstd(a.get())) || !Support(archive_read_support_filter_bzip2(a.get())) ||
      !Support(archive_read_support_format_cpio(a.get())) ||
      archive_read_open_memory(a.get(), file.data(), file.size()) != ARCHIVE_OK)
    return PassEnd::Damaged;
  // Without the rpm reader in the chain, the file was no rpm.
  bool rpm = false;
  for (int filter = 0; filter < archive_filter_count(a.get()); ++filter)
    rpm = rpm || archive_filter_code(a.get(), filter) == ARCHIVE_FILTER_RPM;
  if (!rpm) return PassEnd::Damaged;
  return EntryWalk(a.get(), rules, out).run();
}

std::uint64_t UnpackDebDataArchive(ByteSpan file) {
  const Archive outer = OpenDeb(file);
  archive_entry* member = nullptr;
  while (outer && archive_read_next_header(outer.get(), &member) == ARCHIVE_OK) {
    const char* raw = archive_entry_pathname(member);
    const std::string_view name = raw ? raw : "";
    if (!name.starts_with("data.tar")) continue;
    XzMember xz(outer.get());
    const Archive inner = OpenMember(outer.get(), name.substr(8), xz, archive_read_support_format_raw);
    archive_entry* stream = nullptr;
    if (!inner || archive_read_next_header(inner.get(), &stream) != ARCHIVE_OK) return 0;
    std::uint64_t total = 0;
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    while (archive_read_data_block(inner.get(), &block, &size, &offset) == ARCHIVE_OK) total += size;
    return total;
  }
  return 0;
}
