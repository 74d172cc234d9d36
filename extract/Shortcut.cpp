#include "extract/Shortcut.h"

#include <algorithm>


namespace {

constexpr std::int64_t kIdListSizeAt = 76;          // right after the 76-byte header
constexpr std::int64_t kLocalBasePathOffsetAt = 16;  // within LinkInfo

// A little-endian number at pos; bytes outside the file count as zero.
std::int32_t NumberAt(ByteSpan bytes, std::int64_t pos, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) {
    const std::int64_t at = pos + i;
    if (at >= 0 && at < static_cast<std::int64_t>(bytes.size())) value |= std::uint32_t{bytes[static_cast<std::size_t>(at)]} << (8 * i);
  }
  return width == 2 ? static_cast<std::int16_t>(value) : static_cast<std::int32_t>(value);
}

}  // namespace

std::string ReadShortcutTarget(ByteSpan bytes) {
  const std::int64_t linkInfo = kIdListSizeAt + 2 + NumberAt(bytes, kIdListSizeAt, 2);
  const std::int64_t start = linkInfo + NumberAt(bytes, linkInfo + kLocalBasePathOffsetAt, 4);
  if (start < 0 || start >= static_cast<std::int64_t>(bytes.size())) return {};
  const auto begin = bytes.begin() + start;
  return std::string(begin, std::find(begin, bytes.end(), 0));
}
