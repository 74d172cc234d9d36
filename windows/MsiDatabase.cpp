#include "windows/MsiDatabase.h"

#include "support/ByteReader.h"

std::optional<MsiStrings> MsiStrings::Read(ByteSpan pool, ByteSpan data) {
  // A header entry (the code page, its top bit telling three-byte
  // references), then an entry per string. A string of 64 KiB or more has
  // a zero length with a non-zero count, and its length in the next entry
  // (low word, high word).
  if (pool.size() < 4 || pool.size() % 4 != 0 || pool.size() > kMaxMsiTableBytes || data.size() > kMaxMsiTableBytes) {
    return std::nullopt;
  }
  ByteReader r(pool);
  MsiStrings strings;
  strings.referenceBytes_ = (r.u16leAt(2) & 0x8000) ? 3 : 2;
  strings.data_.assign(data.begin(), data.end());
  const std::size_t entries = pool.size() / 4;
  std::uint64_t offset = 0;
  for (std::size_t i = 1; i < entries;) {
    std::uint32_t length = r.u16leAt(i * 4);
    const std::uint32_t count = r.u16leAt(i * 4 + 2);
    if (length == 0 && count != 0) {
      if (i + 1 >= entries) return std::nullopt;
      length = r.u32leAt((i + 1) * 4);
      i += 2;
    } else {
      i += 1;
    }
    if (!AddSizesValid(offset, length, data.size())) return std::nullopt;
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
  ByteReader r(propertyTable);
  const auto reference = [&](std::size_t at) { return static_cast<std::uint32_t>(r.uintAt(at, size, ByteOrder::Little)); };
  for (std::size_t row = 0; row < rows; ++row) {
    if (strings.at(reference(row * size)) != name) continue;
    return std::string(strings.at(reference((rows + row) * size)));
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
