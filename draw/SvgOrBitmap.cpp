#include "draw/SvgOrBitmap.h"

#include "draw/SvgDocument.h"
#include "image/ImageFormat.h"
#include "image/PngEncode.h"
#include "support/TextScan.h"

bool IsSvgName(std::string_view name) {
  return name.size() >= 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".svg");
}

Bytes SvgDrawnOrPngKept(bool svg, std::uint64_t bitmapLimit, const std::function<Bytes(std::uint64_t maxBytes)>& read,
                        int side) {
  Bytes bytes = read(svg ? kMaxSvgBytes : bitmapLimit);
  if (!svg) return SniffImageFormat(bytes) == ImageFormat::Png ? bytes : Bytes();
  const RgbaImage drawn = RenderSvgIcon(AsText(bytes), side);
  return drawn.pixels.empty() ? Bytes() : WritePng(drawn);
}
