// Fuzz target for the macOS and browser extension readers: the input is
// read as an icon set, a property list (the string under two keys) and an
// extension manifest, each within its own limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "macos/Icns.h"
#include "macos/Plist.h"
#include "web/ExtensionManifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  IcnsLargestImage(bytes);
  IcnsIconGroup(bytes);
  for (const char* key : {"CFBundleIconFile", "CFBundleIconName"}) {
    const std::optional<std::string> value = PlistString(text, key);
    if (value && value->size() > 3 * size) __builtin_trap();
  }
  for (const std::string& path : ExtensionIconPaths(text)) {
    if (path.size() > size) __builtin_trap();
  }
  if (const std::optional<std::size_t> zip = CrxZipOffset(bytes); zip && *zip > size) __builtin_trap();
  return 0;
}
