#include "windows/MsiDatabase.h"

namespace {

std::uint32_t Word(ByteSpan bytes, std::size_t at) { return bytes[at] | (std::uint32_t{bytes[at + 1]} << 8); }

std::uint32_t Reference(ByteSpan bytes, std::size_t at, unsigned size) {
  const std::uint32_t low = Word(bytes, at);
  return size == 3 ? low | (std::uint32_t{bytes[at + 2]} << 16) : low;
}

}  // namespace

std::optional<MsiStrings> MsiStrings::Read(ByteSpan pool, ByteSpan data) {
  // A header entry (the code page, its top bit telling three-byte
  // references), then an entry per string. A string of 64 KiB or more has
  // a zero length with a non-zero count, and its length in the next entry
  // (low word, high word).
  if (pool.size() < 4 || pool.size() % 4 != 0 || pool.size() > kMaxMsiTableBytes || data.size() > kMaxMsiTableBytes) {
    return std::nullopt;
  }
  MsiStrings strings;
  strings.referenceBytes_ = (Word(pool, 2) & 0x8000) ? 3 : 2;
  strings.data_.assign(data.begin(), data.end());
  const std::size_t entries = pool.size() / 4;
  std::uint64_t offset = 0;
  for (std::size_t i = 1; i < entries;) {
    std::uint32_t length = Word(pool, i * 4);
    const std::uint32_t count = Word(pool, i * 4 + 2);
    if (length == 0 && count != 0) {
      if (i + 1 >= entries) return std::nullopt;
      length = Word(pool, (i + 1) * 4) | (Word(pool, (i + 1) * 4 + 2) << 16);
      i += 2;
    } else {
      i += 1;
    }
    if (length > data.size() - offset) return std::nullopt;
    strings.spans_.emplace_back(static_cast<std::uint32_t>(offset), length);
    offset += length;
  }
  return strings;
}

std::string_view MsiStrings::at(std::uint32_t id) const {
  if (id == 0 || id > spans_.size()) return {};
  const auto [offset, length] = spans_[id - 1];
  return std::string_view(data_).substr(offset, length);
}

std::optional<std::string> MsiProperty(const MsiStrings& strings, ByteSpan propertyTable, std::string_view name) {
  const unsigned size = strings.referenceBytes();
  const std::size_t rowBytes = 2 * size;
  if (propertyTable.empty() || propertyTable.size() % rowBytes != 0) return std::nullopt;
  const std::size_t rows = propertyTable.size() / rowBytes;
  for (std::size_t row = 0; row < rows; ++row) {
    if (strings.at(Reference(propertyTable, row * size, size)) != name) continue;
    return std::string(strings.at(Reference(propertyTable, (rows + row) * size, size)));
  }
  return std::nullopt;
}

const ArchiveEntry* ChooseMsiIconStream(const std::vector<ArchiveEntry>& streams,
                                        const std::optional<std::string>& productIcon) {
  constexpr std::string_view kPrefix = "Icon.";
  const ArchiveEntry* largest = nullptr;
  for (const ArchiveEntry& stream : streams) {
    if (!stream.path.starts_with(kPrefix) || stream.size == UINT64_MAX) continue;
    if (productIcon && !productIcon->empty() && std::string_view(stream.path).substr(kPrefix.size()) == *productIcon) {
      return &stream;
    }
    if (!largest || stream.size > largest->size) largest = &stream;
  }
  return largest;
}
