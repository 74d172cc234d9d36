#pragma once
// Choosing what to open in an Android split bundle (.xapk, .apks, .apkm): a
// ZIP of packages, one of them the base, the others each carrying one screen
// density, language or processor. Store bundles keep the density-specific
// icon files in the density splits, so the base package alone may name an
// icon it does not hold.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One file of the bundle as the archive tool lists it.
struct BundleEntry {
  std::string path;        // as listed: '\' or '/' between folders
  std::uint64_t size = 0;  // uncompressed, as the archive's directory says
};

// The entries worth keeping from 7-Zip's technical listing ("l -slt"): the
// blocks after the "----------" line, each "Path = ...", "Folder = -",
// "Size = ..."; folders are skipped. Only packages (".apk") and a root
// "manifest.json" are kept, at most kMaxBundleEntries of them: a bundle also
// carries game data and the like, which is never opened.
inline constexpr std::size_t kMaxBundleEntries = 4096;
std::vector<BundleEntry> ParseBundleListing(std::string_view listing);

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
BundleEntry ChooseBundleBase(const std::vector<BundleEntry>& entries, std::string_view manifestBase);

// The density splits, densest first (xxxhdpi down to ldpi; at equal density
// in listing order), each path once: "config.<density>.apk" and
// "split_config.<density>.apk" at the root, "splits/base-<density>.apk".
std::vector<BundleEntry> DensitySplits(const std::vector<BundleEntry>& entries);
