#include "macos/Plist.h"

#include <cstdint>
#include <vector>

#include "support/ByteReader.h"
#include "support/Utf8.h"
#include "support/XmlTree.h"

namespace {

std::optional<std::string> XmlPlistString(std::string_view xml, std::string_view key) {
  XmlLimits limits;
  limits.maxBytes = kMaxPlistBytes;
  limits.allowExternalDoctype = true;  // every XML plist names Apple's DTD
  const std::optional<XmlElement> root = ReadXmlTree(xml, limits);
  if (!root || root->name != "plist" || !root->uri.empty()) return std::nullopt;
  const XmlElement* dict = nullptr;
  for (const XmlElement& child : root->children) {
    if (child.name == "dict") {
      dict = &child;
      break;
    }
  }
  if (!dict) return std::nullopt;
  // <key>K</key> then its value, in turn.
  const std::vector<XmlElement>& items = dict->children;
  for (std::size_t i = 0; i + 1 < items.size(); ++i) {
    if (items[i].name != "key" || items[i].text != key) continue;
    if (items[i + 1].name != "string") return std::nullopt;
    return items[i + 1].text;
  }
  return std::nullopt;
}

// A binary plist: objects, an offset table, and a 32-byte trailer. Numbers
// are big-endian, of the widths the trailer gives.
class BinaryPlist {
 public:
  explicit BinaryPlist(std::string_view bytes) : r_(bytes) {}

  std::optional<std::string> string(std::string_view key) {
    if (r_.size() < 8 + 32) return std::nullopt;
    const std::size_t trailer = r_.size() - 32;
    offsetSize_ = r_.u8At(trailer + 6), refSize_ = r_.u8At(trailer + 7);
    count_ = r_.u64beAt(trailer + 8), top_ = r_.u64beAt(trailer + 16), table_ = r_.u64beAt(trailer + 24);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8 || top_ >= count_ ||
        table_ >= r_.size() || !MadSizesValid(count_, offsetSize_, table_, r_.size())) {
      return std::nullopt;
    }
    // The top object: a dictionary of count keys, then count values.
    std::size_t at = 0;
    std::uint64_t entries = 0;
    if (!object(top_, 0xD, at, entries)) return std::nullopt;
    if (!MadSizesValid(entries, 2 * refSize_, at, r_.size())) return std::nullopt;
    for (std::uint64_t i = 0; i < entries; ++i) {
      const std::optional<std::string> name = text(number(at + i * refSize_, refSize_));
      if (!name || *name != key) continue;
      return text(number(at + (entries + i) * refSize_, refSize_));
    }
    return std::nullopt;
  }

 private:
  std::uint64_t number(std::size_t at, std::size_t size) { return r_.uintAt(at, size, ByteOrder::Big); }

  // Finds object `ref` of the given type (high nibble of its marker); its
  // content's start and its count (the marker's low nibble, or the integer
  // object after it when that is 15).
  bool object(std::uint64_t ref, std::uint8_t type, std::size_t& at, std::uint64_t& count) {
    if (ref >= count_) return false;
    const std::uint64_t offset = number(table_ + ref * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= table_) return false;
    const std::uint8_t marker = r_.u8At(offset);
    if (marker >> 4 != type) return false;
    at = offset + 1;
    count = marker & 0xF;
    if (count == 0xF) {
      if (at >= table_) return false;
      const std::uint8_t intMarker = r_.u8At(at);
      const std::size_t size = std::size_t(1) << (intMarker & 0xF);
      if (intMarker >> 4 != 0x1 || size > 8 || !AddSizesValid(at + 1, size, table_)) return false;
      count = number(at + 1, size);
      at += 1 + size;
    }
    return at <= table_;
  }

  // An ASCII or UTF-16 string object, as UTF-8.
  std::optional<std::string> text(std::uint64_t ref) {
    std::size_t at = 0;
    std::uint64_t count = 0;
    if (object(ref, 0x5, at, count)) {
      if (!AddSizesValid(at, count, table_)) return std::nullopt;
      return std::string(r_.textAt(at, count));
    }
    if (!object(ref, 0x6, at, count) || !MadSizesValid(count, 2, at, table_)) return std::nullopt;
    std::string out;
    for (std::uint64_t i = 0; i < count; ++i) {
      std::uint32_t c = r_.u16beAt(at + 2 * i);
      if (IsHighSurrogate(c) && i + 1 < count) {
        const std::uint32_t low = r_.u16beAt(at + 2 * (i + 1));
        if (IsLowSurrogate(low)) c = CodePointFromSurrogates(c, low), ++i;
      }
      AppendUtf8(out, c);
    }
    return out;
  }

  ByteReader r_;
  std::size_t offsetSize_ = 0, refSize_ = 0;
  std::uint64_t count_ = 0, top_ = 0, table_ = 0;
};

}  // namespace

std::optional<std::string> PlistString(std::string_view plist, std::string_view key) {
  if (plist.size() > kMaxPlistBytes) return std::nullopt;
  if (plist.starts_with("bplist00")) return BinaryPlist(plist).string(key);
  return XmlPlistString(plist, key);
}
