#include "pictures/ImageFile.h"

#include <algorithm>
#include <tuple>

#include "image/CgbiPng.h"
#include "image/IcoDecode.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"

Bytes IconFileToPng(ByteSpan ico) {
  const std::vector<IcoEntry> entries = ListIcoEntries(ico);
  const IcoEntry* best = nullptr;
  auto rank = [](const IcoEntry& e) { return IconImageRank{e.width, e.height, e.bitCount}; };
  for (const IcoEntry& entry : entries) {
    if (!best || OutranksIconImage(rank(entry), rank(*best))) best = &entry;
  }
  if (!best) return {};
  if (best->png) return DecodePng(best->data).empty() ? Bytes() : Bytes(best->data.begin(), best->data.end());
  return WritePng(DecodeIcoImage(*best));
}

Bytes StandardPicture(ByteSpan bytes) {
  if (!IsCgbiPng(bytes)) return Bytes(bytes.begin(), bytes.end());
  RgbaImage image = DecodePng(NormalizeCgbiPng(bytes));
  // Stored blue first and premultiplied by alpha.
  for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    std::uint8_t* px = image.pixels.data() + i;
    std::swap(px[0], px[2]);
    const unsigned alpha = px[3];
    for (int c = 0; c < 3; ++c) {
      px[c] = alpha == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (px[c] * 255u + alpha / 2) / alpha));
    }
  }
  return WritePng(image);
}
