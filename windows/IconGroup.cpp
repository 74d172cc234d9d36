#include "windows/IconGroup.h"

#include <algorithm>
#include <map>

#include "image/IcoDecode.h"
#include "image/IcoEncode.h"
#include "support/ByteReader.h"

namespace {

constexpr std::size_t kGroupHeaderSize = 6, kGroupEntrySize = 14;

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

Bytes AssembleIconFile(ByteSpan group, const IconEntryChoice& choice,
                       const std::function<ByteSpan(std::uint16_t iconId)>& imageOf) {
  const std::uint16_t count = ByteReader(group, 4).u16le();
  if (choice.entry < 0 || choice.entry >= count) return {};
  std::vector<IcoImageData> images;
  auto add = [&](int k) {
    ByteReader e(group, kGroupHeaderSize + kGroupEntrySize * static_cast<std::size_t>(k));
    IcoImageData image;
    for (std::uint8_t& b : image.entry) b = e.u8();  // reads past the end give 0
    e.skip(4);
    image.data = imageOf(e.u16le());
    if (image.data.empty()) return false;
    images.push_back(image);
    return true;
  };
  if (!add(choice.entry)) return {};
  for (int k = 0; k < count; ++k) {
    if (k != choice.entry) add(k);
  }
  return WriteIcoFile(images);
}

Bytes ExtractIconFromPe(ByteSpan file, std::uint16_t uiLanguage) {
  PeResourceReader reader(file, uiLanguage);
  const std::vector<PeResource> groups = reader.list(kIconGroupResourceType);
  const auto firstGroup = std::find_if(groups.begin(), groups.end(), [](const PeResource& g) { return !g.data.empty(); });
  if (firstGroup == groups.end()) return {};
  const ByteSpan group = firstGroup->data;
  const IconEntryChoice choice = ChooseIconEntry(group);
  if (choice.entry < 0) return {};
  // The first image stored under each identifier.
  std::map<std::uint32_t, ByteSpan> images;
  for (const PeResource& icon : reader.list(kIconResourceType)) {
    if (!icon.named && !icon.data.empty()) images.emplace(icon.id, icon.data);
  }
  return AssembleIconFile(group, choice, [&](std::uint16_t id) {
    const auto image = images.find(id);
    return image == images.end() ? ByteSpan() : image->second;
  });
}

bool HasIconGroups(ByteSpan file) { return !PeResourceReader(file, 0).list(kIconGroupResourceType).empty(); }
