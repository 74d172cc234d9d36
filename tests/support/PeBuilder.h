#pragma once
// Builds small Windows executables (PE32 or PE32+, one .rsrc section) holding
// chosen resources, laid out as a resource compiler lays them out: named
// entries first, then identifiers ascending. Also builds icon group bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "support/Bytes.h"

struct TestResource {
  std::uint16_t type;
  std::uint32_t id;     // ignored when name is set
  std::u16string name;  // a named resource when not empty
  Bytes data;
  // Resources of one type and name in several languages share one name
  // entry; their languages are stored in the order given.
  std::uint16_t language = 0x409;
};

Bytes BuildPe(const std::vector<TestResource>& resources, bool pe32Plus = true);

// An executable around a resource section given as raw bytes (mapped at
// the section's RVA 0x1000), for directories no resource compiler writes.
Bytes WrapResourceSection(const Bytes& section, bool pe32Plus = true);

// Crafted directories: RT_GROUP_ICON and RT_ICON each naming `count` ids
// that all point at one shared language directory of `count` entries.
Bytes BuildSharedLanguagePe(std::uint32_t count);
// A root directory of `count` entries (all RT_GROUP_ICON) pointing back at
// the root.
Bytes BuildSelfReferencingPe(std::uint32_t count);

struct TestGroupEntry {
  std::uint8_t width, height;
  std::uint16_t bits;
  std::uint16_t iconId;
  std::uint32_t statedSize = 1234;  // what the group claims; never trusted
};

Bytes BuildIconGroup(const std::vector<TestGroupEntry>& entries);
