#include "windows/IconGroup.h"

#include <algorithm>

#include "image/IcoDecode.h"
#include "support/ByteReader.h"

namespace {

constexpr std::size_t kGroupHeaderSize = 6, kGroupEntrySize = 14, kIconHeaderSize = 22;

// The group's first four bytes and a count of 1.
Bytes IconHeader(ByteSpan group) {
  ByteReader r(group);
  Bytes out;
  for (int i = 0; i < 4; ++i) out.push_back(r.u8());  // reads past the end give 0
  out.insert(out.end(), {1, 0});
  return out;
}

}  // namespace

IconEntryChoice ChooseIconEntry(ByteSpan group) {
  ByteReader header(group, 4);
  const std::uint16_t count = header.u16le();
  IconEntryChoice choice;
  IconImageRank best;
  for (std::uint16_t k = 0; k < count; ++k) {
    // Reads beyond the end of the group give 0, as for a short resource.
    ByteReader e(group, kGroupHeaderSize + kGroupEntrySize * std::size_t{k});
    const std::uint8_t width = e.u8(), height = e.u8();
    e.skip(4);
    const std::uint16_t bits = e.u16le();
    e.skip(4);
    const std::uint16_t id = e.u16le();
    const IconImageRank rank{IconDirectorySide(width), IconDirectorySide(height), bits};
    if (choice.entry < 0 || OutranksIconImage(rank, best)) {
      best = rank;
      choice = {k, id};
    }
  }
  return choice;
}

Bytes AssembleIconFile(ByteSpan group, const IconEntryChoice& choice, ByteSpan image) {
  Bytes out = IconHeader(group);
  ByteReader entry(group, kGroupHeaderSize + kGroupEntrySize * static_cast<std::size_t>(choice.entry));
  for (int i = 0; i < 8; ++i) out.push_back(entry.u8());
  PutU32le(out, static_cast<std::uint32_t>(image.size()));
  PutU32le(out, kIconHeaderSize);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

Bytes ExtractIconFromPe(ByteSpan file, std::uint16_t uiLanguage) {
  PeResourceReader reader(file, uiLanguage);
  const std::vector<PeResource> groups = reader.list(kIconGroupResourceType);
  const auto firstGroup = std::find_if(groups.begin(), groups.end(), [](const PeResource& g) { return !g.data.empty(); });
  if (firstGroup == groups.end()) return {};
  const ByteSpan group = firstGroup->data;
  const IconEntryChoice choice = ChooseIconEntry(group);
  if (choice.entry < 0) return {};
  for (const PeResource& icon : reader.list(kIconResourceType)) {
    if (!icon.named && !icon.data.empty() && icon.id == choice.iconId) return AssembleIconFile(group, choice, icon.data);
  }
  return {};
}

bool HasIconGroups(ByteSpan file) { return !PeResourceReader(file, 0).list(kIconGroupResourceType).empty(); }
