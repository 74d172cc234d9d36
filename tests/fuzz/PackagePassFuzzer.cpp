// Fuzz target for the one-pass package reader and the choice over what it
// keeps: the input is read as a .deb and as an .rpm (libarchive under the
// reader's own rules), then the icon each kept desktop entry names is looked
// up among the entries, and the package's relations are read.
#include <cstddef>
#include <cstdint>

#include "linux/LinuxIconChoice.h"
#include "linux/PackagePass.h"
#include "linux/PackageRelations.h"

namespace {

void Choose(const PackageContents& contents) {
  const PackageTree tree(contents.entries);
  for (const ArchiveEntry* file : tree.desktopFiles("usr/share/applications", "demo")) {
    const auto kept = contents.kept.find(PackagePath(file->path));
    if (kept == contents.kept.end()) continue;
    for (const std::string& path : tree.iconPaths(ReadDesktopEntry(AsText(kept->second)).icon)) {
      if (path.empty() || path.front() == '/' || path.starts_with("../")) __builtin_trap();
    }
  }
  std::uint64_t keptBytes = 0;
  for (const auto& [path, bytes] : contents.kept) {
    if (!MayHoldIcon(path)) __builtin_trap();
    keptBytes += bytes.size();
  }
  if (keptBytes > PassLimits().maxKeptBytes) __builtin_trap();
  DataSibling(ReadDebControl(contents.control));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan file(data, size);
  const PassRules rules{.keep = [](std::string_view path, std::uint64_t) { return MayHoldIcon(path); },
                        .limits = {.maxPassedBytes = 64u << 20, .maxKeptBytes = 8u << 20, .maxEntryBytes = 1u << 20}};
  for (auto* read : {ReadDebPackage, ReadRpmPackage}) {
    PackageContents contents;
    read(file, rules, contents);
    Choose(contents);
  }
  DataSibling(ReadRpmHeader(file));
  return 0;
}
