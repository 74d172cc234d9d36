#pragma once
// A bounds-checked reader of the resource directory of a Windows executable
// (PE32 and PE32+), over the file's bytes. It runs nothing and maps nothing:
// every offset, size and count is checked against the file, so a crafted or
// truncated file gives fewer or no resources, never an over-read.
#include <cstdint>
#include <vector>

#include "support/Bytes.h"

inline constexpr std::uint16_t kIconResourceType = 3;        // RT_ICON
inline constexpr std::uint16_t kIconGroupResourceType = 14;  // RT_GROUP_ICON

struct PeResource {
  bool named = false;    // a named resource has no numeric identifier
  std::uint32_t id = 0;  // the identifier of an unnamed resource
  ByteSpan data;         // the resource's bytes, inside the file
};

// Resources of one type in the order of the resource directory (named
// entries first, then identifiers ascending, as the directory stores them),
// each in the first language the directory lists for it. Resources whose
// data lies outside the file are left out.
std::vector<PeResource> ListPeResources(ByteSpan file, std::uint16_t type);
