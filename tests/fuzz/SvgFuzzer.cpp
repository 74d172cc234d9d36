// Fuzz target for the SVG reader (expat behind it) and the drawing of what
// it reads: any document is read, within its limits, and drawn small.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "draw/SvgDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  const RgbaImage image = RenderSvgIcon(document, 32);
  if (!image.pixels.empty() && (image.width != 32 || image.height != 32)) __builtin_trap();
  return 0;
}
