#include "image/IconFile.h"

#include <algorithm>
#include <vector>

#include "image/IcoDecode.h"
#include "image/IcoEncode.h"

Bytes IconFileAsGroup(ByteSpan ico) {
  const std::vector<IcoEntry> entries = ListIcoEntries(ico);
  const IcoEntry* best = nullptr;
  auto rank = [](const IcoEntry& e) { return IconImageRank{e.width, e.height, e.bitCount}; };
  for (const IcoEntry& entry : entries) {
    if (!best || OutranksIconImage(rank(entry), rank(*best))) best = &entry;
  }
  if (!best || DecodeIcoImage(*best).empty()) return {};
  std::vector<IcoImageData> images;
  auto add = [&](const IcoEntry& e) {
    IcoImageData image;
    std::copy(e.directory.begin(), e.directory.end(), image.entry.begin());
    image.data = e.data;
    images.push_back(image);
  };
  add(*best);
  for (const IcoEntry& entry : entries) {
    if (&entry != best) add(entry);
  }
  return WriteIcoFile(images);
}
