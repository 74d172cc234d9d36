// Fuzz target for the Linux package readers: the desktop entry, the icon
// lookup over a 7-Zip listing, link destinations, and the AppImage and
// SquashFS headers. The input is a desktop file, a zero byte, and a
// listing; the icon the file names is looked up in the listing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "linux/AppImage.h"
#include "linux/LinuxIconChoice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view desktop = input.substr(0, zero);
  const std::string_view listing = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

  const DesktopEntry entry = ReadDesktopEntry(desktop);
  if (entry.icon.size() > desktop.size()) __builtin_trap();
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing);
  const PackageTree tree(entries);
  for (const std::string& path : tree.iconPaths(entry.icon)) {
    if (path.empty() || path.find("..") == 0 || path.front() == '/') __builtin_trap();
  }
  if (tree.desktopFiles("usr/share/applications", entry.icon).size() > kMaxDesktopFilesListed) __builtin_trap();
  for (const ArchiveEntry& listed : entries) {
    const std::string to = LinkDestination(PackagePath(listed.path), listed.linkTarget);
    if (!to.empty() && (to.front() == '/' || to.starts_with("../"))) __builtin_trap();
  }
  const ByteSpan bytes(data, size);
  if (const std::optional<std::uint64_t> offset = AppImageImageOffset(bytes, size)) {
    if (*offset >= size) __builtin_trap();
    SquashFsImageSize(bytes.subspan(*offset));
  }
  return 0;
}
