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
// size whose path holds "AppIcon" followed, at least one character later, by
// "png" (letter case aside); the name runs to the character before the
// first such "png", so a bundle folder such as pngview.app stays whole.
// Among the first three candidates the largest wins, a tie going to the
// earlier; a single candidate is taken as it is; later ones are never
// chosen. Empty when there is no candidate: WebP icons are never taken.
// isLead tells the double-byte characters of the paths' code page.
struct IpaIconEntry {
  std::string name;
  std::uint64_t size = 0;
};
IpaIconEntry ChooseIpaIconEntry(const std::vector<ArchiveEntry>& entries, LeadBytePredicate isLead);
