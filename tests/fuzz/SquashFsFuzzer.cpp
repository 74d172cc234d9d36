// Fuzz target for the in-place SquashFS reader: the input is opened as an
// image, the icon folders are listed and every listed file read, the way
// snaps and AppImages are read; then the files those read first, links followed.
#include <cstddef>
#include <cstdint>

#include "linux/LinuxIconChoice.h"
#include "linux/SquashFs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SquashFsImage image(ByteSpan(data, size));
  std::vector<ArchiveEntry> entries;
  image.list([](std::string_view) { return true; }, [] { return true; }, entries, {.maxEntries = 4096, .maxDepth = 8});
  if (entries.size() > 4096) __builtin_trap();
  for (const ArchiveEntry& entry : entries) {
    if (PackagePath(entry.path) != entry.path) __builtin_trap();
    if (image.read(entry.path, 1u << 20).size() > (1u << 20)) __builtin_trap();
  }
  for (const char* path : {".DirIcon", "meta/gui/icon.png", "usr/share/pixmaps/demo.png"}) {
    if (image.readFollowingLinks(path, 1u << 20).size() > (1u << 20)) __builtin_trap();
  }
  return 0;
}
