#include "linux/PackageRelations.h"

#include <algorithm>
#include <optional>

#include "linux/LinuxIconChoice.h"
#include "support/ByteReader.h"
#include "support/TextScan.h"

namespace {

// "gimp-data (>= 2.10)", "libc6:any", "foo | bar": the names alone.
void AddNeeds(std::string_view field, std::vector<std::string>& needs) {
  while (!field.empty()) {
    const std::size_t cut = field.find_first_of(",|");
    std::string_view item = TrimmedBlanks(field.substr(0, cut));
    field = cut == std::string_view::npos ? std::string_view() : field.substr(cut + 1);
    item = item.substr(0, item.find_first_of(" \t\n(:["));
    if (!item.empty() && needs.size() < 1024) needs.emplace_back(item);
  }
}

// An rpm header structure at at: its index and store, and the offset just
// past it (the next header starts on an 8-byte boundary after the signature).
struct RpmHeader {
  std::size_t index = 0, count = 0, store = 0, storeSize = 0, end = 0;
};

std::optional<RpmHeader> ReadRpmHeaderAt(ByteReader& r, std::size_t at) {
  if (r.u32beAt(at) != 0x8eade801u) return std::nullopt;
  RpmHeader h{.index = at + 16, .count = r.u32beAt(at + 8), .storeSize = r.u32beAt(at + 12)};
  if (h.count > 65536 || !MadSizesValid(h.count, 16, h.index, r.size()) ||
      !AddSizesValid(h.index + h.count * 16, h.storeSize, r.size()) || !r.ok())
    return std::nullopt;
  h.store = h.index + h.count * 16;
  h.end = h.store + h.storeSize;
  return h;
}

}  // namespace

PackageRelations ReadDebControl(std::string_view control) {
  PackageRelations relations;
  std::string_view field;
  std::string value;
  const auto finish = [&] {
    if (field == "Package") relations.name = TrimmedBlanks(value);
    else if (field == "Source") relations.source = TrimmedBlanks(value).substr(0, TrimmedBlanks(value).find(' '));
    else if (field == "Depends" || field == "Pre-Depends" || field == "Recommends") AddNeeds(value, relations.needs);
    field = {};
    value.clear();
  };
  // The first paragraph's fields; a line starting with a blank goes on the
  // field before it.
  while (!control.empty()) {
    const std::string_view line = NextLine(control);
    if (TrimmedBlanks(line).empty()) break;
    if (line.front() == ' ' || line.front() == '\t') {
      value.append(" ").append(line);
      continue;
    }
    finish();
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    field = line.substr(0, colon);
    value = line.substr(colon + 1);
  }
  finish();
  return relations;
}

PackageRelations ReadRpmHeader(ByteSpan file) {
  // A 96-byte lead, the signature header (its store padded to 8 bytes),
  // then the main header: index entries of tag, type, offset and count.
  constexpr std::uint32_t kName = 1000, kSourceRpm = 1044, kRequireName = 1049;
  constexpr std::uint32_t kString = 6, kStringArray = 8;
  PackageRelations relations;
  ByteReader r(file);
  if (r.u32beAt(0) != 0xedabeedbu) return relations;
  const std::optional<RpmHeader> signature = ReadRpmHeaderAt(r, 96);
  if (!signature) return relations;
  const std::optional<RpmHeader> main = ReadRpmHeaderAt(r, (signature->end + 7) / 8 * 8);
  if (!main) return relations;
  const std::string_view store = r.textAt(main->store, main->storeSize);
  // The string at off in the store, up to its zero byte.
  const auto text = [&store](std::size_t off) -> std::string_view {
    if (off >= store.size()) return {};
    const std::size_t zero = store.find('\0', off);
    return zero == std::string_view::npos ? std::string_view() : store.substr(off, zero - off);
  };
  for (std::size_t i = 0; i < main->count; ++i) {
    const std::size_t at = main->index + i * 16;
    const std::uint32_t tag = r.u32beAt(at), type = r.u32beAt(at + 4), off = r.u32beAt(at + 8), count = r.u32beAt(at + 12);
    if (tag == kName && type == kString) relations.name = text(off);
    else if (tag == kSourceRpm && type == kString) relations.source = RpmPackageName(text(off));  // "gimp-2.10.34-1.fc38.src.rpm"
    else if (tag == kRequireName && type == kStringArray) {
      std::size_t next = off;
      for (std::uint32_t n = 0; n < count && n < 1024; ++n) {
        const std::string_view name = text(next);
        if (name.empty()) break;
        AddNeeds(name, relations.needs);
        next += name.size() + 1;
      }
    }
  }
  return relations;
}

bool IsDataPackageName(std::string_view name) { return name.ends_with("-data") || name.ends_with("-common"); }

std::string DataSibling(const PackageRelations& relations) {
  // The closest name first: the package's or its source's own name with
  // "-data", then with "-common" (emacs-gtk needs both emacs-bin-common and
  // emacs-common; the icons are in the latter), then any other in order.
  for (std::string_view suffix : {"-data", "-common"}) {
    for (const std::string& own : {relations.name, relations.source}) {
      const std::string exact = own + std::string(suffix);
      if (!own.empty() && std::find(relations.needs.begin(), relations.needs.end(), exact) != relations.needs.end())
        return exact;
    }
  }
  for (const std::string& need : relations.needs) {
    if (!IsDataPackageName(need)) continue;
    for (const std::string& own : {relations.name, relations.source}) {
      if (!own.empty() && need != own && need.starts_with(own)) return need;
    }
  }
  return {};
}
