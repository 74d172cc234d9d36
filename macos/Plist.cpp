#include "macos/Plist.h"

#include <cstdint>
#include <vector>

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

// A binary plist: objects, an offset table, and a 32-byte trailer.
class BinaryPlist {
 public:
  explicit BinaryPlist(std::string_view bytes) : b_(bytes) {}

  std::optional<std::string> string(std::string_view key) {
    if (b_.size() < 8 + 32) return std::nullopt;
    const std::size_t trailer = b_.size() - 32;
    offsetSize_ = byte(trailer + 6), refSize_ = byte(trailer + 7);
    count_ = number(trailer + 8, 8), top_ = number(trailer + 16, 8), table_ = number(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8 || top_ >= count_ ||
        table_ >= b_.size() || count_ > (b_.size() - table_) / offsetSize_) {
      return std::nullopt;
    }
    // The top object: a dictionary of count keys, then count values.
    std::size_t at = 0;
    std::uint64_t entries = 0;
    if (!object(top_, 0xD, at, entries)) return std::nullopt;
    if (entries > (b_.size() - at) / (2 * refSize_)) return std::nullopt;
    for (std::uint64_t i = 0; i < entries; ++i) {
      const std::optional<std::string> name = text(number(at + i * refSize_, refSize_));
      if (!name || *name != key) continue;
      return text(number(at + (entries + i) * refSize_, refSize_));
    }
    return std::nullopt;
  }

 private:
  std::uint8_t byte(std::size_t at) const { return static_cast<std::uint8_t>(b_[at]); }
  std::uint64_t number(std::size_t at, std::size_t size) const {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v = v << 8 | byte(at + i);
    return v;
  }

  // Finds object `ref` of the given type (high nibble of its marker); its
  // content's start and its count (the marker's low nibble, or the integer
  // object after it when that is 15).
  bool object(std::uint64_t ref, std::uint8_t type, std::size_t& at, std::uint64_t& count) const {
    if (ref >= count_) return false;
    const std::uint64_t offset = number(table_ + ref * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= table_) return false;
    const std::uint8_t marker = byte(offset);
    if (marker >> 4 != type) return false;
    at = offset + 1;
    count = marker & 0xF;
    if (count == 0xF) {
      if (at >= table_) return false;
      const std::uint8_t intMarker = byte(at);
      const std::size_t size = std::size_t(1) << (intMarker & 0xF);
      if (intMarker >> 4 != 0x1 || size > 8 || size > table_ - at - 1) return false;
      count = number(at + 1, size);
      at += 1 + size;
    }
    return at <= table_;
  }

  // An ASCII or UTF-16 string object, as UTF-8.
  std::optional<std::string> text(std::uint64_t ref) const {
    std::size_t at = 0;
    std::uint64_t count = 0;
    if (object(ref, 0x5, at, count)) {
      if (count > table_ - at) return std::nullopt;
      return std::string(b_.substr(at, count));
    }
    if (!object(ref, 0x6, at, count) || count > (table_ - at) / 2) return std::nullopt;
    std::string out;
    for (std::uint64_t i = 0; i < count; ++i) {
      std::uint32_t c = std::uint32_t(number(at + 2 * i, 2));
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
        const std::uint32_t low = std::uint32_t(number(at + 2 * (i + 1), 2));
        if (low >= 0xDC00 && low <= 0xDFFF) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
      }
      if (c < 0x80) {
        out += char(c);
      } else if (c < 0x800) {
        out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
      } else {
        out += char(0xF0 | c >> 18), out += char(0x80 | ((c >> 12) & 0x3F)), out += char(0x80 | ((c >> 6) & 0x3F)),
            out += char(0x80 | (c & 0x3F));
      }
    }
    return out;
  }

  std::string_view b_;
  std::size_t offsetSize_ = 0, refSize_ = 0;
  std::uint64_t count_ = 0, top_ = 0, table_ = 0;
};

}  // namespace

std::optional<std::string> PlistString(std::string_view plist, std::string_view key) {
  if (plist.size() > kMaxPlistBytes) return std::nullopt;
  if (plist.starts_with("bplist00")) return BinaryPlist(plist).string(key);
  return XmlPlistString(plist, key);
}
