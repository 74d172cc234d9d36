#include "tests/support/PeBuilder.h"

#include <algorithm>
#include <map>

namespace {

void U16(Bytes& b, std::uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }
void U32(Bytes& b, std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
void Put32At(Bytes& b, std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i)); }

constexpr std::uint32_t kSectionRva = 0x1000, kFileAlign = 0x200;
constexpr std::uint32_t kIconResourceTypeForTests = 3, kGroupResourceTypeForTests = 14;

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
  auto sameName = [](const TestResource* a, const TestResource* b) { return a->name == b->name && a->id == b->id; };
  for (const auto& [type, list] : byType) {
    Put32At(s, typeSlots[t++], 0x80000000u | static_cast<std::uint32_t>(s.size()));
    // One name entry per name or id; its languages are the resources that share it.
    std::vector<std::vector<const TestResource*>> names;
    for (auto* r : list) {
      if (names.empty() || !sameName(names.back().front(), r)) names.emplace_back();
      names.back().push_back(r);
    }
    std::uint16_t named = 0;
    for (const auto& n : names) named += !n.front()->name.empty();
    directory(s, named, static_cast<std::uint16_t>(names.size() - named));
    std::vector<std::size_t> slots, nameSlots;
    for (const auto& n : names) {
      nameSlots.push_back(s.size());
      U32(s, n.front()->name.empty() ? n.front()->id : 0);
      slots.push_back(s.size());
      U32(s, 0);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      Put32At(s, slots[i], 0x80000000u | static_cast<std::uint32_t>(s.size()));
      directory(s, 0, static_cast<std::uint16_t>(names[i].size()));
      for (const TestResource* r : names[i]) {
        U32(s, r->language);
        pending.push_back({nameSlots[i], s.size(), r});
        U32(s, 0);
      }
    }
  }
  std::vector<std::size_t> nameWritten;
  for (Pending& p : pending) {
    if (!p.r->name.empty() && std::find(nameWritten.begin(), nameWritten.end(), p.nameSlot) == nameWritten.end()) {
      nameWritten.push_back(p.nameSlot);
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
  return WrapResourceSection(BuildResourceSection(resources), pe32Plus);
}

Bytes WrapResourceSection(const Bytes& section, bool pe32Plus) {
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

namespace {

// A directory header for `count` entries (up to 65,536: the named and the
// identifier counts together).
void Directory(Bytes& b, std::uint32_t count) {
  b.resize(b.size() + 12, 0);
  U16(b, static_cast<std::uint16_t>(count > 0xFFFF ? count - 0xFFFF : 0));
  U16(b, static_cast<std::uint16_t>(count > 0xFFFF ? 0xFFFF : count));
}

}  // namespace

Bytes BuildSharedLanguagePe(std::uint32_t count) {
  Bytes s;
  Directory(s, 2);
  const std::size_t typeSlots = s.size();
  U32(s, kIconResourceTypeForTests); U32(s, 0);
  U32(s, kGroupResourceTypeForTests); U32(s, 0);
  // The shared language directory, then its one data entry and data.
  const std::uint32_t languages = static_cast<std::uint32_t>(s.size());
  Directory(s, count);
  const std::uint32_t dataEntry = static_cast<std::uint32_t>(s.size() + 8 * count);
  for (std::uint32_t i = 0; i < count; ++i) { U32(s, 0x400 + i); U32(s, dataEntry); }
  U32(s, kSectionRva + dataEntry + 16); U32(s, 4); U32(s, 0); U32(s, 0);
  U32(s, 0);  // the data: four bytes
  for (int type = 0; type < 2; ++type) {
    Put32At(s, typeSlots + 8 * type + 4, 0x80000000u | static_cast<std::uint32_t>(s.size()));
    Directory(s, count);
    for (std::uint32_t i = 0; i < count; ++i) { U32(s, i + 1); U32(s, 0x80000000u | languages); }
  }
  return WrapResourceSection(s);
}

Bytes BuildSelfReferencingPe(std::uint32_t count) {
  Bytes s;
  Directory(s, count);
  for (std::uint32_t i = 0; i < count; ++i) { U32(s, kGroupResourceTypeForTests); U32(s, 0x80000000u); }
  return WrapResourceSection(s);
}
