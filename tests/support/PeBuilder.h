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
};

Bytes BuildPe(const std::vector<TestResource>& resources, bool pe32Plus = true);

struct TestGroupEntry {
  std::uint8_t width, height;
  std::uint16_t bits;
  std::uint16_t iconId;
  std::uint32_t statedSize = 1234;  // what the group claims; never trusted
};

Bytes BuildIconGroup(const std::vector<TestGroupEntry>& entries);
