#pragma once
// A bounds-checked reader of the resource directory of a Windows executable
// (PE32 and PE32+), over the file's bytes. It runs nothing and maps nothing:
// every offset, size and count is checked against the file, so a crafted or
// truncated file gives fewer or no resources, never an over-read. Its work is
// bounded by the file's size: a language directory shared by many names is
// read once, directories that point back into themselves are refused, and a
// budget of directory entries proportional to the file's size stops a
// crafted directory from costing more.
#include <cstdint>
#include <map>
#include <vector>

#include "support/Bytes.h"

inline constexpr std::uint16_t kIconResourceType = 3;        // RT_ICON
inline constexpr std::uint16_t kIconGroupResourceType = 14;  // RT_GROUP_ICON

struct PeResource {
  bool named = false;    // a named resource has no numeric identifier
  std::uint32_t id = 0;  // the identifier of an unnamed resource
  ByteSpan data;         // the resource's bytes, inside the file
};

class PeResourceReader {
 public:
  // uiLanguage: the user's UI language (a LANGID), preferred after the
  // neutral language; 0 for none.
  PeResourceReader(ByteSpan file, std::uint16_t uiLanguage);

  // Resources of one type in the order of the resource directory (named
  // entries first, then identifiers ascending, as the directory stores them),
  // each in the language the platform's own lookup takes: neutral, then the
  // UI language, then one of its primary language, then the first stored.
  // Resources whose data lies outside the file are left out.
  std::vector<PeResource> list(std::uint16_t type);

  // Directory entries read so far: the reader's work, which never exceeds a
  // bound proportional to the file's size.
  std::size_t steps() const { return steps_; }

 private:
  struct Entry {
    std::uint32_t name, target;
  };
  std::vector<Entry> readDirectory(std::uint32_t at);
  // The data entry's offset chosen from the language directory at `at`, or
  // 0 when none; remembered per directory.
  std::uint32_t chooseLanguage(std::uint32_t at);

  ByteSpan file_;
  std::uint16_t uiLanguage_;
  bool valid_ = false;
  ByteSpan section_;
  std::size_t steps_ = 0, budget_ = 0;
  std::map<std::uint32_t, std::uint32_t> chosen_;
  struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
  };
  std::vector<Section> sections_;
  std::uint32_t resourceRva_ = 0;
  bool readLayout();
  bool fileOffset(std::uint32_t rva, std::uint32_t size, std::size_t& offset) const;
};

