#include "pictures/ImageFile.h"

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
  return CgbiToPng(bytes);
}
