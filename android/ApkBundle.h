#pragma once
// Choosing what to open in an Android split bundle (.xapk, .apks, .apkm): a
// ZIP of packages, one of them the base, the others each carrying one screen
// density, language or processor. Store bundles keep the density-specific
// icon files in the density splits, so the base package alone may name an
// icon it does not hold.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ArchiveListing.h"

// The entries worth keeping from a bundle's listing: packages (".apk") and a
// root "manifest.json". A bundle also carries game data and the like, which
// is never opened. As many as the listing parser keeps at all: a bundle
// stuffed with thousands of packages before its base still gives its base.
inline constexpr std::size_t kMaxBundleEntries = kMaxArchiveEntries;
bool KeptBundleEntry(std::string_view path);

// The "file" of the first element of the top-level "split_apks" array whose
// "id" is "base", in a bundle's manifest.json such as
//   {"split_apks": [{"file": "com.example.apk", "id": "base"},
//                   {"file": "config.xxhdpi.apk", "id": "config.xxhdpi"}]}.
// Empty when there is none, when the text is not one well-formed JSON object
// of at most kMaxManifestBytes, or when it holds more than kMaxJsonDepth
// levels of objects and arrays (support/Json.h).
inline constexpr std::size_t kMaxManifestBytes = 1u << 20;
std::string ManifestBaseFile(std::string_view json);

// The base package: the package the manifest names (compared with '/' and
// '\' alike), else, in this order, base.apk at the root (the layout of most
// bundles), splits/base-master.apk (the layout the bundle tool writes),
// universal.apk at the root, else the one package at the root when there is
// exactly one (an early single-package bundle). An entry with an empty path
// when there is none.
ArchiveEntry ChooseBundleBase(const std::vector<ArchiveEntry>& entries, std::string_view manifestBase);

// The density splits, densest first (xxxhdpi down to ldpi; at equal density
// in listing order), each path once: "config.<density>.apk" and
// "split_config.<density>.apk" at the root, "splits/base-<density>.apk".
std::vector<ArchiveEntry> DensitySplits(const std::vector<ArchiveEntry>& entries);
