#include "ios/IpaIconChoice.h"

namespace {

constexpr std::size_t kCandidatesCompared = 3;

bool StartsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  return text.size() >= lowerWord.size() && EqualsIgnoringAsciiCase(text.substr(0, lowerWord.size()), lowerWord);
}

// Where an icon's name ends in its path: the start of the character before
// the first "png" that begins at least one character after "AppIcon"; npos
// when the path is no icon's. Only whole characters are compared, so a
// double-byte character's second byte never starts a word.
std::size_t IconNameEnd(std::string_view path, LeadBytePredicate isLead) {
  std::size_t afterAppIcon = std::string_view::npos, previous = 0;
  for (std::size_t at = 0, step = 1; at < path.size(); previous = at, at += step) {
    step = isLead(static_cast<unsigned char>(path[at])) && at + 1 < path.size() ? 2 : 1;
    if (afterAppIcon == std::string_view::npos) {
      if (StartsIgnoringCase(path.substr(at), "appicon")) afterAppIcon = at + 7, step = 7;
    } else if (at > afterAppIcon && StartsIgnoringCase(path.substr(at), "png")) {
      return previous;
    }
  }
  return std::string_view::npos;
}

}  // namespace

IpaIconEntry ChooseIpaIconEntry(const std::vector<ArchiveEntry>& entries, LeadBytePredicate isLead) {
  IpaIconEntry best;
  std::size_t candidates = 0;
  for (const ArchiveEntry& entry : entries) {
    if (entry.packedSize == 0 || entry.packedSize == UINT64_MAX) continue;
    const std::size_t end = IconNameEnd(entry.path, isLead);
    if (end == std::string_view::npos) continue;
    if (candidates == 0 || entry.size > best.size) best = {entry.path.substr(0, end), entry.size};
    if (++candidates == kCandidatesCompared) break;
  }
  return best;
}
