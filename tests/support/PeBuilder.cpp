#include "tests/support/PeBuilder.h"

#include <algorithm>
#include <map>

namespace {

void U16(Bytes& b, std::uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }
void U32(Bytes& b, std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
void Put32At(Bytes& b, std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i)); }

constexpr std::uint32_t kSectionRva = 0x1000, kFileAlign = 0x200;

// The .rsrc section: the three directory levels, name strings, data entries, data.
Bytes BuildResourceSection(std::vector<TestResource> resources) {
  std::map<std::uint16_t, std::vector<const TestResource*>> byType;
  for (const TestResource& r : resources) byType[r.type].push_back(&r);
  for (auto& [type, list] : byType) {
    std::stable_sort(list.begin(), list.end(), [](const TestResource* a, const TestResource* b) {
      if (a->name.empty() != b->name.empty()) return !a->name.empty();
      if (!a->name.empty()) return a->name < b->name;
      return a->id < b->id;
    });
  }
  auto directory = [](Bytes& b, std::uint16_t named, std::uint16_t ids) {
    for (int i = 0; i < 12; ++i) b.push_back(0);
    U16(b, named);
    U16(b, ids);
  };
  Bytes s;
  directory(s, 0, static_cast<std::uint16_t>(byType.size()));
  std::vector<std::size_t> typeSlots;
  for (const auto& [type, list] : byType) { U32(s, type); typeSlots.push_back(s.size()); U32(s, 0); }
  struct Pending { std::size_t nameSlot, dataSlot; const TestResource* r; };
  std::vector<Pending> pending;
  std::size_t t = 0;
  for (const auto& [type, list] : byType) {
    Put32At(s, typeSlots[t++], 0x80000000u | static_cast<std::uint32_t>(s.size()));
    std::uint16_t named = 0;
    for (auto* r : list) named += !r->name.empty();
    directory(s, named, static_cast<std::uint16_t>(list.size() - named));
    std::vector<std::size_t> slots;
    for (auto* r : list) {
      pending.push_back({s.size(), 0, r});
      U32(s, r->name.empty() ? r->id : 0);
      slots.push_back(s.size());
      U32(s, 0);
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
      Put32At(s, slots[i], 0x80000000u | static_cast<std::uint32_t>(s.size()));
      directory(s, 0, 1);
      U32(s, 0x409);
      pending[pending.size() - list.size() + i].dataSlot = s.size();
      U32(s, 0);
    }
  }
  for (Pending& p : pending) {
    if (!p.r->name.empty()) {
      Put32At(s, p.nameSlot, 0x80000000u | static_cast<std::uint32_t>(s.size()));
      U16(s, static_cast<std::uint16_t>(p.r->name.size()));
      for (char16_t c : p.r->name) U16(s, c);
    }
  }
  for (Pending& p : pending) {
    while (s.size() % 4) s.push_back(0);
    Put32At(s, p.dataSlot, static_cast<std::uint32_t>(s.size()));
    const std::size_t entry = s.size();
    U32(s, 0); U32(s, static_cast<std::uint32_t>(p.r->data.size())); U32(s, 0); U32(s, 0);
    Put32At(s, entry, kSectionRva + static_cast<std::uint32_t>(s.size()));
    s.insert(s.end(), p.r->data.begin(), p.r->data.end());
  }
  return s;
}

}  // namespace

Bytes BuildPe(const std::vector<TestResource>& resources, bool pe32Plus) {
  const Bytes section = BuildResourceSection(resources);
  Bytes b(0x40, 0);
  b[0] = 'M'; b[1] = 'Z';
  Put32At(b, 0x3C, 0x40);
  U32(b, 0x00004550);
  U16(b, pe32Plus ? 0x8664 : 0x14C);
  U16(b, 1);  // one section
  U32(b, 0); U32(b, 0); U32(b, 0);
  const std::uint16_t optionalSize = pe32Plus ? 240 : 224;
  U16(b, optionalSize);
  U16(b, 0x0002);
  const std::size_t optional = b.size();
  b.resize(optional + optionalSize, 0);
  b[optional] = 0x0B; b[optional + 1] = pe32Plus ? 0x02 : 0x01;
  const std::size_t directories = optional + (pe32Plus ? 112 : 96);
  Put32At(b, directories - 4, 16);  // NumberOfRvaAndSizes
  Put32At(b, directories + 16, kSectionRva);
  Put32At(b, directories + 20, static_cast<std::uint32_t>(section.size()));
  // Section header.
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  b.insert(b.end(), name, name + 8);
  const std::uint32_t raw = static_cast<std::uint32_t>((section.size() + kFileAlign - 1) / kFileAlign * kFileAlign);
  U32(b, static_cast<std::uint32_t>(section.size()));
  U32(b, kSectionRva);
  U32(b, raw);
  U32(b, kFileAlign);
  for (int i = 0; i < 16; ++i) b.push_back(0);
  b.resize(kFileAlign, 0);
  b.insert(b.end(), section.begin(), section.end());
  b.resize(kFileAlign + raw, 0);
  return b;
}

Bytes BuildIconGroup(const std::vector<TestGroupEntry>& entries) {
  Bytes g;
  U16(g, 0); U16(g, 1); U16(g, static_cast<std::uint16_t>(entries.size()));
  for (const TestGroupEntry& e : entries) {
    g.push_back(e.width); g.push_back(e.height); g.push_back(0); g.push_back(0);
    U16(g, 1); U16(g, e.bits); U32(g, e.statedSize); U16(g, e.iconId);
  }
  return g;
}
