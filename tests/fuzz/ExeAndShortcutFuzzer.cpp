// Fuzz target for the readers of untrusted executables and shortcuts, and
// the header probes and listing reader that guard extraction and decoding. Built
// with libFuzzer by the "fuzz" preset (scripts/fuzz.sh); the same function is
// replayed over tests/fuzz/corpus by an ordinary test.
#include <cstddef>
#include <cstdint>

#include "extract/Shortcut.h"
#include "extract/IconGroup.h"
#include "extract/ApkIconChoice.h"
#include "extract/PeResources.h"
#include "support/ImageFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const Bytes icon = ExtractIconFromPe(bytes);
  // The icon file is either nothing or header + an image that lies inside
  // the input.
  if (!icon.empty() && (icon.size() < 22 || icon.size() - 22 > size)) __builtin_trap();
  for (const PeResource& r : ListPeResources(bytes, kIconResourceType)) {
    if (r.data.data() < data || r.data.data() + r.data.size() > data + size) __builtin_trap();
  }
  const std::string target = ReadShortcutTarget(bytes);
  if (target.size() > size) __builtin_trap();
  // Headers read before anything is decoded or extracted.
  const ImageSize webp = ProbeWebpSize(bytes);
  if ((webp.width == 0) != (webp.height == 0) || webp.width > 16384 || webp.height > 16777216) __builtin_trap();
  IsPictureImage(bytes);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::uint64_t> entrySize = ZipInfoEntrySize(text, "res/a.png");
  if (entrySize && text.find("res/a.png") == std::string_view::npos) __builtin_trap();
  return 0;
}
