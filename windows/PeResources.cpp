#include "windows/PeResources.h"

#include <algorithm>

#include "support/ByteReader.h"

namespace {

constexpr std::uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kDirectoryHeader = 16, kEntrySize = 8;
// No real executable comes near this.
constexpr std::size_t kMaxEntriesPerDirectory = 1u << 16;
// An honest directory holds at most one entry per 8 bytes of the file, and a
// listing reads each entry about once; crafted sharing is cut off beyond this.
constexpr std::size_t kStepsPerEntrySlot = 4, kBaseSteps = 4096;

std::uint16_t Primary(std::uint16_t language) { return language & 0x3FF; }

}  // namespace

PeResourceReader::PeResourceReader(ByteSpan file, std::uint16_t uiLanguage)
    : file_(file), uiLanguage_(uiLanguage) {
  budget_ = kBaseSteps + kStepsPerEntrySlot * (file.size() / kEntrySize);
  valid_ = readLayout();
  if (!valid_) return;
  // The resource data as one view from the directory's start to the end of
  // the raw data of the section holding it: directory offsets are relative
  // to that start.
  for (const Section& s : sections_) {
    if (resourceRva_ < s.virtualAddress) continue;
    const std::uint64_t into = std::uint64_t{resourceRva_} - s.virtualAddress;
    if (into >= s.rawSize) continue;
    const std::uint64_t start = std::uint64_t{s.rawOffset} + into;
    const std::uint64_t end = std::min<std::uint64_t>(file.size(), std::uint64_t{s.rawOffset} + s.rawSize);
    if (start < end) section_ = file.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    break;
  }
  valid_ = section_.size() >= kDirectoryHeader;
}

bool PeResourceReader::readLayout() {
  ByteReader r(file_);
  if (r.u16le() != 0x5A4D) return false;  // "MZ"
  r.seek(0x3C);
  const std::uint32_t pe = r.u32le();
  r.seek(pe);
  if (r.u32le() != 0x00004550) return false;  // "PE\0\0"
  r.skip(2);
  const std::uint16_t sectionCount = r.u16le();
  r.skip(12);
  const std::uint16_t optionalSize = r.u16le();
  r.skip(2);
  const std::size_t optional = r.position();
  const std::uint16_t magic = r.u16le();
  if (!r.ok() || (magic != kPe32Magic && magic != kPe32PlusMagic)) return false;
  const std::size_t directories = optional + (magic == kPe32Magic ? 96 : 112);
  r.seek(directories - 4);
  const std::uint32_t directoryCount = r.u32le();
  if (!r.ok() || directoryCount <= kResourceDirectoryIndex) return false;
  if (directories + 8 * (kResourceDirectoryIndex + 1) > optional + optionalSize) return false;
  r.seek(directories + 8 * kResourceDirectoryIndex);
  resourceRva_ = r.u32le();
  r.seek(optional + optionalSize);
  for (std::uint16_t i = 0; i < sectionCount && r.ok(); ++i) {
    r.skip(8);  // name
    Section s{};
    s.virtualSize = r.u32le();
    s.virtualAddress = r.u32le();
    s.rawSize = r.u32le();
    s.rawOffset = r.u32le();
    r.skip(16);
    if (r.ok()) sections_.push_back(s);
  }
  return r.ok() && resourceRva_ != 0;
}

// The file offset of an RVA with `size` bytes behind it inside one section's
// raw data and inside the file; false when there is none.
bool PeResourceReader::fileOffset(std::uint32_t rva, std::uint32_t size, std::size_t& offset) const {
  for (const Section& s : sections_) {
    if (rva < s.virtualAddress) continue;
    const std::uint64_t into = std::uint64_t{rva} - s.virtualAddress;
    if (into + size > s.rawSize) continue;
    const std::uint64_t at = std::uint64_t{s.rawOffset} + into;
    if (at + size > file_.size()) return false;
    offset = static_cast<std::size_t>(at);
    return true;
  }
  return false;
}

// The entries of the directory at `at` (an offset inside the resource
// section); none once the budget is spent.
std::vector<PeResourceReader::Entry> PeResourceReader::readDirectory(std::uint32_t at) {
  ByteReader r(section_, at);
  r.skip(12);
  const std::size_t named = r.u16le();
  const std::size_t ids = r.u16le();
  const std::size_t count = named + ids;
  std::vector<Entry> entries;
  if (!r.ok() || count > kMaxEntriesPerDirectory || count * kEntrySize > r.remaining()) return entries;
  if (count > budget_ - std::min(budget_, steps_)) {
    steps_ = budget_;
    return entries;
  }
  steps_ += count;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t name = r.u32le();
    const std::uint32_t target = r.u32le();
    entries.push_back({name, target});
  }
  return entries;
}

std::uint32_t PeResourceReader::chooseLanguage(std::uint32_t at) {
  if (const auto known = chosen_.find(at); known != chosen_.end()) return known->second;
  const std::vector<Entry> languages = readDirectory(at);
  // The platform's order: neutral, the UI language, its primary language,
  // then whatever is stored first. Entries that are themselves directories
  // hold no data.
  auto first = [&languages](auto matches) -> const Entry* {
    for (const Entry& e : languages) {
      if (!(e.target & kHighBit) && matches(e)) return &e;
    }
    return nullptr;
  };
  auto numbered = [](const Entry& e) { return !(e.name & kHighBit); };
  const Entry* pick = first([&](const Entry& e) { return numbered(e) && e.name == 0; });
  if (!pick && uiLanguage_) pick = first([&](const Entry& e) { return numbered(e) && e.name == uiLanguage_; });
  if (!pick && uiLanguage_) {
    pick = first([&](const Entry& e) { return numbered(e) && Primary(static_cast<std::uint16_t>(e.name)) == Primary(uiLanguage_); });
  }
  if (!pick) pick = first([](const Entry&) { return true; });
  const std::uint32_t data = pick ? pick->target : 0;
  chosen_[at] = data;
  return data;
}

std::vector<PeResource> PeResourceReader::list(std::uint16_t type) {
  std::vector<PeResource> found;
  if (!valid_) return found;
  for (const Entry& typeEntry : readDirectory(0)) {
    if ((typeEntry.name & kHighBit) || typeEntry.name != type || !(typeEntry.target & kHighBit)) continue;
    const std::uint32_t names = typeEntry.target & ~kHighBit;
    if (names == 0) break;  // the root again
    for (const Entry& nameEntry : readDirectory(names)) {
      if (!(nameEntry.target & kHighBit)) continue;
      const std::uint32_t languages = nameEntry.target & ~kHighBit;
      if (languages == 0 || languages == names) continue;  // pointing back up
      const std::uint32_t dataEntry = chooseLanguage(languages);
      if (dataEntry == 0 || dataEntry == names || dataEntry == languages) continue;
      ByteReader data(section_, dataEntry);
      const std::uint32_t rva = data.u32le();
      const std::uint32_t size = data.u32le();
      std::size_t offset = 0;
      if (!data.ok() || !fileOffset(rva, size, offset)) continue;
      const bool named = (nameEntry.name & kHighBit) != 0;
      found.push_back({named, named ? 0 : nameEntry.name, file_.subspan(offset, size)});
    }
    break;  // one directory per type
  }
  return found;
}

