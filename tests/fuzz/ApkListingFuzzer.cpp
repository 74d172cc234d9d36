// Fuzz target for the choices made from an Android package's listing: the
// raster fallback for an adaptive icon. The input's first line is the icon
// path, the rest the listing. The whole input is also read as a badging.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "android/ApkIconChoice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t end = input.find('\n');
  const std::string_view path = input.substr(0, end);
  const std::string_view listing = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);

  const std::string raster = ChooseRasterIcon(listing, path);
  // The choice is one whole line of the listing, a PNG or WebP under res/.
  if (!raster.empty() &&
      (!raster.starts_with("res/") || !(raster.ends_with(".png") || raster.ends_with(".webp")) ||
       listing.find(raster) == std::string_view::npos)) {
    __builtin_trap();
  }
  // Each entry named once, within the cap, and taken from the text.
  const std::vector<std::string> entries = BadgingIconEntries(input);
  if (entries.size() > kMaxDensityEntries) __builtin_trap();
  for (const std::string& entry : entries) {
    if (entry.empty() || input.find(entry) == std::string_view::npos) __builtin_trap();
  }
  return 0;
}
