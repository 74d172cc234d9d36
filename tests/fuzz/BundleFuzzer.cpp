// Fuzz target for what an Android split bundle is read with before anything
// is extracted from it: 7-Zip's technical listing, the manifest naming the
// base package, the choice of base and density splits, and the first-bytes
// rule for icon entries named without an extension. The input serves as
// listing and as manifest at once. Built with libFuzzer when TESSAROO_FUZZ
// is on; tests/fuzz/bundle_corpus is replayed by an ordinary test.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "android/ApkBundle.h"
#include "android/ApkIconChoice.h"

namespace {
bool Listed(const std::vector<ArchiveEntry>& entries, const std::string& path) {
  return std::any_of(entries.begin(), entries.end(), [&](const ArchiveEntry& e) { return e.path == path; });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Escapes only ever shorten text.
  const std::string manifestBase = ManifestBaseFile(text);
  if (manifestBase.size() > size) __builtin_trap();

  const std::vector<ArchiveEntry> entries = ParseArchiveListing(text, KeptBundleEntry, kMaxBundleEntries);
  if (entries.size() > kMaxBundleEntries) __builtin_trap();
  for (const ArchiveEntry& entry : entries) {
    if (entry.path.size() > size || !KeptBundleEntry(entry.path)) __builtin_trap();
  }
  // Whatever is chosen is a listed package.
  const ArchiveEntry base = ChooseBundleBase(entries, manifestBase);
  if (!base.path.empty() && (!Listed(entries, base.path) || !base.path.ends_with(".apk"))) __builtin_trap();
  const std::vector<ArchiveEntry> splits = DensitySplits(entries);
  if (splits.size() > entries.size()) __builtin_trap();
  for (const ArchiveEntry& split : splits) {
    if (!Listed(entries, split.path)) __builtin_trap();
  }
  ClassifyIconEntry(text.substr(0, std::min<std::size_t>(size, 40)), std::span(data, size));
  return 0;
}
