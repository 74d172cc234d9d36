// Fuzz target for the Windows app package readers: the manifest and bundle
// manifest reader (expat behind it) and the listing reader with the logo
// choice. The input is a document, a zero byte, and a 7-Zip listing; the
// names the document gives are looked up in the listing. Built with libFuzzer
// as appx_fuzzer under the "fuzz" preset; tests/fuzz/appx-corpus is replayed
// by an ordinary test.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "windows/AppxIconChoice.h"
#include "windows/AppxManifest.h"

namespace {

// True when the entry is one of the listing's own.
bool Inside(const ArchiveEntry* entry, const std::vector<ArchiveEntry>& entries) {
  return !entry || (entry >= entries.data() && entry < entries.data() + entries.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view document = input.substr(0, zero);
  const std::string_view listing = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

  const std::vector<std::string> names = AppxLogoNames(document);
  if (names.size() > 3) __builtin_trap();
  for (const std::string& name : names) {
    if (name.empty() || name.size() > 1024) __builtin_trap();
  }
  const std::string package = ChooseBundlePackage(document);
  if (package.size() > 1024) __builtin_trap();

  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing);
  for (const ArchiveEntry& entry : entries) {
    if (entry.path.empty() || entry.path.size() > listing.size()) __builtin_trap();
  }
  if (!Inside(ChooseAppxIconEntry(entries, names), entries)) __builtin_trap();
  if (!Inside(FindPackageEntry(entries, package), entries)) __builtin_trap();
  for (const ArchiveEntry& entry : entries) {
    if (PercentDecoded(entry.path).size() > entry.path.size()) __builtin_trap();
  }
  return 0;
}
