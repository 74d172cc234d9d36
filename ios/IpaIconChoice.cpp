#include "ios/IpaIconChoice.h"

namespace {

bool StartsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  return text.size() >= lowerWord.size() && EqualsIgnoringAsciiCase(text.substr(0, lowerWord.size()), lowerWord);
}

bool EndsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  return text.size() >= lowerWord.size() && EqualsIgnoringAsciiCase(text.substr(text.size() - lowerWord.size()), lowerWord);
}

// The listing prints '\'; a package made elsewhere may still carry '/'.
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How long an icon's name is in its path: the path without its ".png" when
// the entry lies directly in Payload/<name>.app/ and its file name holds
// "AppIcon" and ends in ".png" (letter case aside); 0 when it is no icon of
// the app's own. Anything deeper in the bundle (extensions, watch apps,
// frameworks) carries icons of its own, never the app's. The path is walked a
// whole character at a time, so a double-byte character's second byte is
// never a separator and never starts a word; singleRun counts the
// single-byte characters just walked, so ".app" and ".png" are whole
// characters too.
std::size_t IconNameLength(std::string_view path, LeadBytePredicate isLead) {
  std::size_t separators = 0, partAt = 0, singleRun = 0;
  bool appIcon = false;
  for (std::size_t at = 0, step = 1; at < path.size(); at += step) {
    step = isLead(static_cast<unsigned char>(path[at])) && at + 1 < path.size() ? 2 : 1;
    if (IsSeparator(path[at])) {
      const std::string_view folder = path.substr(partAt, at - partAt);
      const bool fits = separators == 0 ? EqualsIgnoringAsciiCase(folder, "payload")
                                        : separators == 1 && folder.size() > 4 && singleRun >= 4 && EndsIgnoringCase(folder, ".app");
      if (!fits) return 0;
      ++separators;
      partAt = at + 1;
      singleRun = 0;
      continue;
    }
    singleRun = step == 1 ? singleRun + 1 : 0;
    if (separators == 2 && !appIcon) appIcon = StartsIgnoringCase(path.substr(at), "appicon");
  }
  const bool icon = separators == 2 && appIcon && singleRun >= 4 && EndsIgnoringCase(path, ".png");
  return icon ? path.size() - 4 : 0;
}

}  // namespace

IpaIconEntry ChooseIpaIconEntry(const std::vector<ArchiveEntry>& entries, LeadBytePredicate isLead) {
  const ArchiveEntry* best = nullptr;
  std::size_t bestNameLength = 0;
  for (const ArchiveEntry& entry : entries) {
    if (entry.packedSize == 0 || entry.packedSize == UINT64_MAX) continue;
    const std::size_t nameLength = IconNameLength(entry.path, isLead);
    if (nameLength == 0) continue;
    if (!best || entry.size > best->size) best = &entry, bestNameLength = nameLength;  // a tie keeps the earlier
  }
  if (!best) return {};
  return {best->path.substr(0, bestNameLength), best->size};
}
