#include "windows/Shortcut.h"

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

namespace {

constexpr std::int64_t kLinkInfoHeaderSizeAt = 4;
// Link info headers of this size or more carry the Unicode path offsets.
constexpr std::int32_t kUnicodeHeaderSize = 0x24;
constexpr std::int64_t kLocalBasePathUnicodeAt = 28, kCommonPathSuffixUnicodeAt = 32;

// The UTF-16 text at pos up to its zero or the end of the bytes.
std::u16string WideTextAt(ByteSpan bytes, std::int64_t pos) {
  std::u16string text;
  for (std::int64_t at = pos; at >= 0 && at + 1 < static_cast<std::int64_t>(bytes.size()); at += 2) {
    const char16_t c = static_cast<char16_t>(NumberAt(bytes, at, 2));
    if (c == 0) break;
    text += c;
  }
  return text;
}

}  // namespace

std::u16string ReadShortcutUnicodeTarget(ByteSpan bytes) {
  const std::int64_t linkInfo = kIdListSizeAt + 2 + NumberAt(bytes, kIdListSizeAt, 2);
  if (NumberAt(bytes, linkInfo + kLinkInfoHeaderSizeAt, 4) < kUnicodeHeaderSize) return {};
  const std::int32_t baseOffset = NumberAt(bytes, linkInfo + kLocalBasePathUnicodeAt, 4);
  const std::int32_t suffixOffset = NumberAt(bytes, linkInfo + kCommonPathSuffixUnicodeAt, 4);
  // An offset inside the header itself means the field is absent.
  if (baseOffset < kUnicodeHeaderSize) return {};
  std::u16string target = WideTextAt(bytes, linkInfo + baseOffset);
  if (!target.empty() && suffixOffset >= kUnicodeHeaderSize) target += WideTextAt(bytes, linkInfo + suffixOffset);
  return target;
}

bool ShortcutTargetIsOnAShare(ByteSpan bytes) {
  constexpr std::int64_t kLinkInfoFlagsAt = 8;
  constexpr std::int32_t kVolumeIdAndLocalBasePath = 1, kCommonNetworkRelativeLink = 2;
  const std::int64_t linkInfo = kIdListSizeAt + 2 + NumberAt(bytes, kIdListSizeAt, 2);
  const std::int32_t flags = NumberAt(bytes, linkInfo + kLinkInfoFlagsAt, 4);
  return (flags & kCommonNetworkRelativeLink) && !(flags & kVolumeIdAndLocalBasePath);
}

namespace {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// "C:\" (or "C:/") at the start of the text.
bool StartsWithDrive(std::string_view path) {
  const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 3 && path[1] == ':' && IsPathSeparator(path[2]);
}

}  // namespace

bool IsLocalShortcutTarget(std::string_view target) {
  if (target.empty()) return false;
  // Two separators start a share or a device path; "\\?\" followed by a
  // drive is the long form of a drive path and the one exception.
  if (target.size() >= 2 && IsPathSeparator(target[0]) && IsPathSeparator(target[1])) {
    return target.size() > 4 && target[2] == '?' && IsPathSeparator(target[3]) && StartsWithDrive(target.substr(4));
  }
  // "\??\" is the system's own name space: the same rule.
  if (target.size() >= 4 && IsPathSeparator(target[0]) && target.substr(1, 2) == "??" && IsPathSeparator(target[3])) {
    return StartsWithDrive(target.substr(4));
  }
  return true;
}
