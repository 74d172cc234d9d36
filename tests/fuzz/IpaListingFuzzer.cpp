// Fuzz target for an iOS package's listing: 7-Zip's technical listing read
// by the one parser every archive route uses, and the icon choice over its
// entries. The input's first
// byte picks the code page the paths are read in (odd: GBK, double-byte;
// even: no double-byte characters), the rest is the listing.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "ios/IpaIconChoice.h"
#include "tools/ArchiveListing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const LeadBytePredicate isLead = (data[0] & 1) ? Gbk936LeadByte : NoLeadBytes;
  const std::string_view listing(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing);
  std::set<std::string_view> paths;
  for (const ArchiveEntry& entry : entries) {
    // Every path is a piece of the listing, a file's, and listed once.
    if (entry.path.empty() || entry.path.size() > listing.size() || listing.find(entry.path) == std::string_view::npos)
      __builtin_trap();
    if (entry.path.back() == '\\' || entry.path.back() == '/' || !paths.insert(entry.path).second) __builtin_trap();
  }
  if (ParseArchiveListing(listing, nullptr, 2).size() > 2) __builtin_trap();
  // The icon is a listed entry's: its path is the name and ".png", its size
  // the icon's, and it lies in Payload's folder.
  const IpaIconEntry icon = ChooseIpaIconEntry(entries, isLead);
  if (!icon.name.empty()) {
    bool listed = false;
    for (const ArchiveEntry& entry : entries) {
      listed = listed || (entry.path.size() == icon.name.size() + 4 && entry.path.starts_with(icon.name) &&
                          EqualsIgnoringAsciiCase(std::string_view(entry.path).substr(icon.name.size()), ".png") &&
                          entry.size == icon.size);
    }
    const std::string_view top = std::string_view(icon.name).substr(0, 8);
    const bool inPayload = EqualsIgnoringAsciiCase(top, "payload\\") || EqualsIgnoringAsciiCase(top, "payload/");
    if (!listed || !inPayload) __builtin_trap();
  }
  return 0;
}
