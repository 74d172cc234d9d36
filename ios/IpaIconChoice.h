#pragma once
// Choosing the app icon among an iOS package's entries, as 7-Zip's technical
// listing gives them (tools/ArchiveListing.h).
#include <cstdint>
#include <string>
#include <vector>

#include "support/TextScan.h"
#include "tools/ArchiveListing.h"

// The chosen icon: its path without the ".png" that ends its name, and its
// uncompressed size. The candidates are the entries with a non-zero packed
// size that lie directly in Payload/<name>.app/ ('\' or '/' between the
// folders) and whose file name holds "AppIcon" and ends in ".png" (letter
// case aside); an entry in any folder of the app (PlugIns/*.appex,
// Watch/*.app, Frameworks) is none. Every candidate is compared: the largest
// wins, a tie going to the earlier. Empty when there is no candidate: WebP
// icons are never taken. isLead tells the double-byte characters of the
// paths' code page.
struct IpaIconEntry {
  std::string name;
  std::uint64_t size = 0;
};
IpaIconEntry ChooseIpaIconEntry(const std::vector<ArchiveEntry>& entries, LeadBytePredicate isLead);
